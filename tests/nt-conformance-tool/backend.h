#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/sddl_descriptor.h"
#include "platform/sid.h"

namespace quorel::conformance {

// What a backend reads of an item.
struct ItemSecurity {
    Sid owner;
    Sid group;
    SddlDacl dacl;  // with SE_DACL_PROTECTED and SE_DACL_AUTO_INHERITED as stored
};

// A server that stores NT security descriptors. Paths are relative to the
// folder the scenarios run in, with backslashes. Every call returns an empty
// text on success, otherwise what went wrong.
class Backend {
  public:
    virtual ~Backend() = default;

    // "samba" or "simulation": the name in failure lines, and which of
    // expect-samba and expect-windows apply.
    virtual std::string name() const = 0;
    virtual bool followsWindows() const = 0;

    virtual std::string create(const std::string& path, bool folder) = 0;
    virtual std::string read(const std::string& path, ItemSecurity& out) = 0;
    // `control` holds SE_DACL_PROTECTED, SE_DACL_AUTO_INHERITED and
    // SE_DACL_AUTO_INHERIT_REQ exactly as they are sent.
    virtual std::string write(const std::string& path, const std::vector<RawAce>& dacl,
                              std::uint16_t control) = 0;
};

// The simulated volume: a fresh sim::SimPlatform for every scenario.
std::unique_ptr<Backend> makeSimulationBackend();

// A driver process (the Samba client) spoken to through its standard input
// and output, one request and one answer a line:
//   dir PATH | file PATH              -> ok
//   get PATH                          -> ok OWNER GROUP SDDL   (the DACL in SDDL)
//   set PATH CONTROL ACL              -> ok
// CONTROL in hexadecimal; ACL the bytes of the DACL in hexadecimal, laid out
// as Windows stores it ("ACL structure"), for Samba reads the rights letters
// of SDDL otherwise than Windows.
// or "error TEXT". Null, with `error` set, when it cannot be started.
std::unique_ptr<Backend> makeDriverBackend(const std::vector<std::string>& command,
                                           std::string& error);

}  // namespace quorel::conformance
