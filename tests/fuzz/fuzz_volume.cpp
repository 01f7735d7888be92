// Feeds arbitrary bytes to the volume file reader. It must never crash; an
// error names a line that the text has; a volume it reads is written, and
// that text reads back and is written again byte for byte.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/sim/volume_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const quorel::sim::VolumeRead read = quorel::sim::readVolume(text);
    if (!read.platform) {
        std::size_t lines = 1;
        for (char c : text) {
            lines += c == '\n' ? 1 : 0;
        }
        std::size_t line = 0;
        if (read.error.rfind("line ", 0) != 0) {
            __builtin_trap();
        }
        for (std::size_t i = 5;
             i < read.error.size() && read.error[i] >= '0' && read.error[i] <= '9'; ++i) {
            line = line * 10 + static_cast<std::size_t>(read.error[i] - '0');
        }
        if (line == 0 || line > lines) {
            __builtin_trap();
        }
        return 0;
    }
    const quorel::sim::VolumeWrite written = quorel::sim::writeVolume(*read.platform);
    if (!written.error.empty()) {
        return 0;  // a state the file cannot hold is reported, not lost
    }
    const quorel::sim::VolumeRead again = quorel::sim::readVolume(written.text);
    if (!again.platform || quorel::sim::writeVolume(*again.platform).text != written.text) {
        __builtin_trap();
    }
    return 0;
}
