#pragma once

// The ACL buffer of Copy, Cut, Paste and Combine: a text of the main
// window's own, not the system clipboard. Numbers in lower-case hexadecimal
// without leading zeros, lines ended by a line feed:
//   one ACE:    "1\n" name "\n" flags " " mask " " type "\n"
//   a whole ACL: the ACE count in decimal, then each ACE from the last to
//               the first: name "\n" flags " " mask " " type "\n"

#include <cstdint>
#include <string>
#include <vector>

namespace quorel {

class AccountNames;
class AceRecord;
class CDirEntry;

struct BufferAce {
    std::wstring trustee;
    std::uint32_t flags = 0;
    std::uint32_t mask = 0;
    std::uint32_t type = 0;
    friend bool operator==(const BufferAce&, const BufferAce&) = default;
};

std::wstring AceBufferText(const AccountNames& names, const AceRecord& ace);
std::wstring AclBufferText(const CDirEntry& entry);

// The ACEs of a buffer in buffer order (for a whole ACL: last ACE first).
// Reading stops at the first line that does not parse; a count larger than
// the ACEs that follow gives those that are there.
std::vector<BufferAce> ReadAclBuffer(const std::wstring& buffer);

}  // namespace quorel
