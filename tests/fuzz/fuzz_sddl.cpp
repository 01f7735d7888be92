// Feeds arbitrary bytes to the SDDL codec read as a DACL alone
// (parseDaclSddl). It must never crash; an error points into the text;
// whatever it reads formats to a text that reads back to the same DACL.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/sddl_descriptor.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::vector<quorel::SddlSubstitution> names = {
        {"$OWNER", quorel::well_known::administrators()},
        {"$GROUP", quorel::well_known::users()},
    };
    const quorel::SddlParse parsed = quorel::parseDaclSddl(text, names);
    if (!parsed.ok()) {
        if (parsed.error.position > size || parsed.error.message.empty()) {
            __builtin_trap();
        }
        return 0;
    }
    const quorel::SddlParse again = quorel::parseDaclSddl(quorel::formatDaclSddl(*parsed.dacl));
    if (!again.ok() || !(*again.dacl == *parsed.dacl)) {
        __builtin_trap();
    }
    return 0;
}
