#pragma once

// The standard file port of a test, benchmark or tool program: one per
// process, made on first use. The programs themselves make their own.

#include <memory>

#include "platform/file_io_port.h"

namespace quorel::sim {

inline FileIoPort& standardFiles() {
    static const std::unique_ptr<FileIoPort> files = makeStandardFileIo();
    return *files;
}

}  // namespace quorel::sim
