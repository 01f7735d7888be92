// Feeds arbitrary bytes to the SDDL descriptor parser. It must never crash;
// an error points into the text; whatever it reads is written as a text that
// reads back to the same descriptor and is written again unchanged. The same
// bytes taken as a descriptor's parts (owner, control, DACL state, ACE
// bytes) read back exactly from the text they are written as.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sddl_descriptor.h"

namespace {

bool same(const quorel::SecurityDescriptor& a, const quorel::SecurityDescriptor& b) {
    return a.owner == b.owner && a.group == b.group && a.control == b.control &&
           a.daclState == b.daclState && a.dacl == b.dacl;
}

void checkText(std::string_view text) {
    const std::vector<quorel::SddlSubstitution> names = {
        {"$OWNER", quorel::well_known::administrators()},
    };
    const quorel::SddlDescriptorParse parsed = quorel::parseSddl(text, names);
    if (!parsed.ok()) {
        if (parsed.error.position > text.size() || parsed.error.message.empty()) {
            __builtin_trap();
        }
        return;
    }
    const std::string written = quorel::formatSddl(*parsed.descriptor);
    const quorel::SddlDescriptorParse again = quorel::parseSddl(written);
    if (!again.ok() || !same(*again.descriptor, *parsed.descriptor) ||
        quorel::formatSddl(*again.descriptor) != written) {
        __builtin_trap();
    }
}

// A descriptor cut from the bytes: control, DACL state, an owner SID when
// one reads, then ACEs of length-prefixed bytes.
void checkDescriptor(const std::uint8_t* data, std::size_t size) {
    if (size < 3) {
        return;
    }
    quorel::SecurityDescriptor sd;
    sd.control = static_cast<std::uint16_t>(data[0] | data[1] << 8);
    sd.daclState = static_cast<quorel::DaclState>(data[2] % 3);
    std::size_t at = 3;
    sd.owner = quorel::Sid::fromBytes(data + at, size - at);
    at += sd.owner ? sd.owner->bytes().size() : 0;
    while (sd.daclState == quorel::DaclState::Present && at < size) {
        const std::size_t length = std::min<std::size_t>(data[at], size - at - 1);
        sd.dacl.push_back({std::vector<std::uint8_t>(data + at + 1, data + at + 1 + length)});
        at += 1 + length;
    }
    const quorel::SddlDescriptorParse back = quorel::parseSddl(quorel::formatSddl(sd));
    if (!back.ok() || !same(*back.descriptor, sd)) {
        __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    checkText(std::string_view(reinterpret_cast<const char*>(data), size));
    checkDescriptor(data, size);
    return 0;
}
