#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "platform/file_io_port.h"
#include "platform/win_error.h"

namespace quorel {

namespace {

class StreamSource : public ByteSource {
  public:
    StreamSource(std::ifstream stream, std::uint64_t size)
        : stream_(std::move(stream)), size_(size) {}
    std::uint64_t size() override { return size_; }
    bool read(void* data, std::size_t size) override {
        if (size == 0) {
            return true;
        }
        stream_.read(static_cast<char*>(data), static_cast<std::streamsize>(size));
        return stream_.good() && static_cast<std::size_t>(stream_.gcount()) == size;
    }

  private:
    std::ifstream stream_;
    std::uint64_t size_;
};

class StreamSink : public ByteSink {
  public:
    explicit StreamSink(std::ofstream stream) : stream_(std::move(stream)) {}
    bool write(const void* data, std::size_t size) override {
        stream_.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
        return stream_.good();
    }
    bool flush() override {
        stream_.flush();
        return stream_.good();
    }
    bool close() override {
        stream_.flush();
        const bool ok = stream_.good();
        stream_.close();
        return ok && !stream_.fail();
    }

  private:
    std::ofstream stream_;
};

class StandardFileIo : public FileIoPort {
  public:
    std::unique_ptr<ByteSource> openRead(const std::wstring& path, std::uint32_t& error) override {
        std::error_code ec;
        const std::filesystem::path p(path);
        if (std::filesystem::is_directory(p, ec)) {
            error = win_error::kAccessDenied;
            return nullptr;
        }
        std::ifstream stream(p, std::ios::binary);
        if (!stream) {
            error = win_error::kFileNotFound;
            return nullptr;
        }
        const auto size = std::filesystem::file_size(p, ec);
        error = 0;
        return std::make_unique<StreamSource>(std::move(stream), ec ? 0 : size);
    }

    std::unique_ptr<ByteSink> create(const std::wstring& path, CreateMode mode,
                                     std::uint32_t& error) override {
        const std::filesystem::path p(path);
        std::error_code ec;
        if (mode == CreateMode::New && std::filesystem::exists(p, ec)) {
            error = 80;  // ERROR_FILE_EXISTS
            return nullptr;
        }
        std::ofstream stream(
            p, std::ios::binary | (mode == CreateMode::Append ? std::ios::app : std::ios::trunc));
        if (!stream) {
            error = win_error::kAccessDenied;
            return nullptr;
        }
        error = 0;
        return std::make_unique<StreamSink>(std::move(stream));
    }

    bool exists(const std::wstring& path) override {
        std::error_code ec;
        return std::filesystem::exists(std::filesystem::path(path), ec);
    }

    bool truncate(const std::wstring& path, std::uint64_t size) override {
        std::error_code ec;
        std::filesystem::resize_file(std::filesystem::path(path), size, ec);
        return !ec;
    }
};

}  // namespace

std::unique_ptr<FileIoPort> makeStandardFileIo() {
    return std::make_unique<StandardFileIo>();
}

}  // namespace quorel
