#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/file_io_port.h"

namespace quorel::sim {

// Files held in memory, for tests: a path maps to its bytes. Paths compare
// case-insensitively. A write can be made to fail after a number of bytes.
class MemoryFiles : public FileIoPort {
  public:
    std::unique_ptr<ByteSource> openRead(const std::wstring& path, std::uint32_t& error) override;
    std::unique_ptr<ByteSink> create(const std::wstring& path, CreateMode mode,
                                     std::uint32_t& error) override;
    bool exists(const std::wstring& path) override;
    bool truncate(const std::wstring& path, std::uint64_t size) override;

    void put(const std::wstring& path, std::vector<std::uint8_t> bytes);
    const std::vector<std::uint8_t>* get(const std::wstring& path) const;
    // Writes fail once the file would hold more than `bytes` bytes, after
    // writing what fits (a full disk).
    void failWritesAfter(std::size_t bytes) { failAfter_ = bytes; }
    // Creating files fails (a read-only folder).
    void failCreates(bool fail) { failCreates_ = fail; }

  private:
    std::map<std::wstring, std::vector<std::uint8_t>> files_;
    std::size_t failAfter_ = static_cast<std::size_t>(-1);
    bool failCreates_ = false;
};

}  // namespace quorel::sim
