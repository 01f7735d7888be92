"""The Samba side of nt-conformance-run: reads requests on stdin, one a line,
carries them out through python3-samba's libsmb client on \\\\HOST\\SHARE and
answers each with one line ("ok ..." or "error TEXT").

    samba_driver.py SMB.CONF HOST SHARE USER PASSWORD

    dir PATH                 mkdir
    file PATH                create (FILE_CREATE) and close
    get PATH                 ok OWNER GROUP SDDL   (owner, group and DACL)
    set PATH CONTROL ACL     set_acl of the DACL ACL (its bytes in hexadecimal,
                             as Windows stores an ACL) with exactly CONTROL's
                             SE_DACL_* bits (hexadecimal) and DACL_SECURITY_INFORMATION
"""

import sys

from samba import credentials
from samba.dcerpc import security
from samba.ndr import ndr_unpack
from samba.samba3 import libsmb_samba_internal as libsmb
from samba.samba3 import param as s3param

FILE_CREATE = 2
SECINFO_OWNER_GROUP_DACL = 1 | 2 | 4
SECINFO_DACL = 4
DACL_BITS = (security.SEC_DESC_DACL_PROTECTED | security.SEC_DESC_DACL_AUTO_INHERITED
             | security.SEC_DESC_DACL_AUTO_INHERIT_REQ)
FLAGS = [("OI", 0x01), ("CI", 0x02), ("NP", 0x04), ("IO", 0x08), ("ID", 0x10)]
TYPES = {security.SEC_ACE_TYPE_ACCESS_ALLOWED: "A", security.SEC_ACE_TYPE_ACCESS_DENIED: "D"}


def sddl_of(sd):
    """The DACL in SDDL with hexadecimal rights and string SIDs; an ACE type
    other than A and D or other flag bits are written so that
    nt-conformance-run rejects them."""
    if sd.dacl is None:
        return "NULL-DACL"
    text = "D:"
    if sd.type & security.SEC_DESC_DACL_PROTECTED:
        text += "P"
    if sd.type & security.SEC_DESC_DACL_AUTO_INHERITED:
        text += "AI"
    for ace in sd.dacl.aces:
        flags = ""
        rest = ace.flags
        for letters, bit in FLAGS:
            if rest & bit:
                flags += letters
                rest &= ~bit
        if rest:
            flags += "0x%X" % rest
        kind = TYPES.get(ace.type, "0x%X" % ace.type)
        text += "(%s;%s;0x%X;;;%s)" % (kind, flags, ace.access_mask, ace.trustee)
    return text


def handle(conn, words):
    verb = words[0]
    if verb == "dir" and len(words) == 2:
        conn.mkdir(words[1])
        return "ok"
    if verb == "file" and len(words) == 2:
        conn.close(conn.create(words[1], CreateDisposition=FILE_CREATE))
        return "ok"
    if verb == "get" and len(words) == 2:
        sd = conn.get_acl(words[1], SECINFO_OWNER_GROUP_DACL)
        return "ok %s %s %s" % (sd.owner_sid, sd.group_sid, sddl_of(sd))
    if verb == "set" and len(words) == 4:
        sd = security.descriptor()
        sd.dacl = ndr_unpack(security.acl, bytes.fromhex(words[3]))
        sd.type = (security.SEC_DESC_SELF_RELATIVE | security.SEC_DESC_DACL_PRESENT
                   | (int(words[2], 16) & DACL_BITS))
        conn.set_acl(words[1], sd, SECINFO_DACL)
        return "ok"
    return "error unknown request"


def main():
    conf, host, share, user, password = sys.argv[1:6]
    lp = s3param.get_context()
    lp.load(conf)
    creds = credentials.Credentials()
    creds.guess(lp)
    creds.set_username(user)
    creds.set_password(password)
    conn = libsmb.Conn(host, share, lp, creds)
    for line in sys.stdin:
        words = line.split()
        if not words:
            continue
        try:
            answer = handle(conn, words)
        except Exception as e:  # every failure is an answer, never the end
            answer = "error " + " ".join(str(e).split())
        sys.stdout.write(answer + "\n")
        sys.stdout.flush()


if __name__ == "__main__":
    main()
