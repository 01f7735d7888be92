#include "platform/sim/memory_files.h"

#include <algorithm>
#include <cstring>

#include "platform/text.h"
#include "platform/win_error.h"

namespace quorel::sim {

namespace {

class MemorySource : public ByteSource {
  public:
    explicit MemorySource(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}
    std::uint64_t size() override { return bytes_.size(); }
    bool read(void* data, std::size_t size) override {
        if (size > bytes_.size() - pos_) {
            pos_ = bytes_.size();
            return false;
        }
        if (size > 0) {
            std::memcpy(data, bytes_.data() + pos_, size);
        }
        pos_ += size;
        return true;
    }

  private:
    std::vector<std::uint8_t> bytes_;
    std::size_t pos_ = 0;
};

class MemorySink : public ByteSink {
  public:
    MemorySink(std::vector<std::uint8_t>& target, const std::size_t& failAfter)
        : target_(target), failAfter_(failAfter) {}
    bool write(const void* data, std::size_t size) override {
        const auto* p = static_cast<const std::uint8_t*>(data);
        const std::size_t room = failAfter_ > target_.size() ? failAfter_ - target_.size() : 0;
        target_.insert(target_.end(), p, p + std::min(size, room));
        return size <= room;
    }
    bool flush() override { return true; }  // nothing is held back
    bool close() override { return true; }

  private:
    std::vector<std::uint8_t>& target_;
    const std::size_t& failAfter_;  // the files' limit, as it is at each write
};

}  // namespace

std::unique_ptr<ByteSource> MemoryFiles::openRead(const std::wstring& path, std::uint32_t& error) {
    const std::wstring key = upperCase(path);
    auto it = files_.find(key);
    if (it == files_.end()) {
        error = win_error::kFileNotFound;
        return nullptr;
    }
    error = 0;
    return std::make_unique<MemorySource>(it->second);
}

std::unique_ptr<ByteSink> MemoryFiles::create(const std::wstring& path, CreateMode mode,
                                              std::uint32_t& error) {
    const std::wstring key = upperCase(path);
    if (failCreates_) {
        error = win_error::kAccessDenied;
        return nullptr;
    }
    if (mode == CreateMode::New && files_.count(key) != 0) {
        error = 80;  // ERROR_FILE_EXISTS
        return nullptr;
    }
    auto& bytes = files_[key];
    if (mode != CreateMode::Append) {
        bytes.clear();
    }
    error = 0;
    return std::make_unique<MemorySink>(bytes, failAfter_);
}

bool MemoryFiles::exists(const std::wstring& path) {
    return files_.count(upperCase(path)) != 0;
}

bool MemoryFiles::truncate(const std::wstring& path, std::uint64_t size) {
    auto it = files_.find(upperCase(path));
    if (it == files_.end() || size > it->second.size()) {
        return false;
    }
    it->second.resize(static_cast<std::size_t>(size));
    return true;
}

void MemoryFiles::put(const std::wstring& path, std::vector<std::uint8_t> bytes) {
    files_[upperCase(path)] = std::move(bytes);
}

const std::vector<std::uint8_t>* MemoryFiles::get(const std::wstring& path) const {
    auto it = files_.find(upperCase(path));
    return it == files_.end() ? nullptr : &it->second;
}

}  // namespace quorel::sim
