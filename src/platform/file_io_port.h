#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace quorel {

// A file open for reading. Reads are all or nothing: a read that cannot
// deliver every byte asked for fails (a short file is a read error).
class ByteSource {
  public:
    virtual ~ByteSource() = default;
    virtual bool read(void* data, std::size_t size) = 0;
    // The size of the whole file in bytes; readers bound what they allocate
    // for untrusted counts by it.
    virtual std::uint64_t size() = 0;
};

// A file open for writing. A failed write leaves the file in an unknown
// state; the caller reports it and stops.
class ByteSink {
  public:
    virtual ~ByteSink() = default;
    virtual bool write(const void* data, std::size_t size) = 0;
    // Hands what was written to the system, so that it outlives the
    // process; false when it did not reach the file.
    virtual bool flush() = 0;
    // Flushes and closes; false when the data did not reach the file.
    virtual bool close() = 0;
};

enum class CreateMode {
    Always,  // CREATE_ALWAYS: a new file, or an existing one emptied
    New,     // CREATE_NEW: fails when the file exists
    Append,  // OPEN_ALWAYS, writing at the end: an existing file keeps its bytes
};

// Opening and creating files (no sharing, as the system's file formats are
// written and read in one go).
class FileIoPort {
  public:
    virtual ~FileIoPort() = default;
    // Null with `error` set when the file cannot be opened.
    virtual std::unique_ptr<ByteSource> openRead(const std::wstring& path,
                                                 std::uint32_t& error) = 0;
    // Null with `error` set when the file cannot be created.
    virtual std::unique_ptr<ByteSink> create(const std::wstring& path, CreateMode mode,
                                             std::uint32_t& error) = 0;
    virtual bool exists(const std::wstring& path) = 0;
    // Cuts the file to its first `size` bytes (SetEndOfFile); false when it
    // cannot be done.
    virtual bool truncate(const std::wstring& path, std::uint64_t size) = 0;
};

// Files of the machine through the C++ standard library (wide paths on
// Windows, UTF-8 paths elsewhere).
std::unique_ptr<FileIoPort> makeStandardFileIo();

}  // namespace quorel
