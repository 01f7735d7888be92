#pragma once

// Owners of what the Win32 API hands out: each releases its resource with
// the call the API names for it, exactly once.

#include <windows.h>

#include <lm.h>

#include <utility>

namespace quorel::win32 {

// A kernel handle (CreateFileW, OpenProcessToken). Both null and
// INVALID_HANDLE_VALUE mean "none", since the API uses either for failure.
class ScopedHandle {
  public:
    ScopedHandle() = default;
    explicit ScopedHandle(HANDLE handle) : handle_(handle) {}
    ScopedHandle(ScopedHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    ScopedHandle& operator=(ScopedHandle&& other) noexcept {
        if (this != &other) {
            reset(std::exchange(other.handle_, nullptr));
        }
        return *this;
    }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    ~ScopedHandle() { reset(); }

    HANDLE get() const { return handle_; }
    bool valid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
    void reset(HANDLE handle = nullptr) {
        if (valid()) {
            CloseHandle(handle_);
        }
        handle_ = handle;
    }

  private:
    HANDLE handle_ = nullptr;
};

// A search handle of FindFirstFileW, closed with FindClose.
class ScopedFindHandle {
  public:
    ScopedFindHandle() = default;
    explicit ScopedFindHandle(HANDLE handle) : handle_(handle) {}
    ScopedFindHandle(ScopedFindHandle&& other) noexcept
        : handle_(std::exchange(other.handle_, INVALID_HANDLE_VALUE)) {}
    ScopedFindHandle& operator=(ScopedFindHandle&& other) noexcept {
        if (this != &other) {
            reset(std::exchange(other.handle_, INVALID_HANDLE_VALUE));
        }
        return *this;
    }
    ScopedFindHandle(const ScopedFindHandle&) = delete;
    ScopedFindHandle& operator=(const ScopedFindHandle&) = delete;
    ~ScopedFindHandle() { reset(); }

    HANDLE get() const { return handle_; }
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    void reset(HANDLE handle = INVALID_HANDLE_VALUE) {
        if (valid()) {
            FindClose(handle_);
        }
        handle_ = handle;
    }

  private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

// Memory the API allocated with LocalAlloc (ConvertStringSidToSidW,
// ConvertStringSecurityDescriptorToSecurityDescriptorW, ...).
template <typename T>
class ScopedLocal {
  public:
    ScopedLocal() = default;
    explicit ScopedLocal(T* memory) : memory_(memory) {}
    ScopedLocal(ScopedLocal&& other) noexcept : memory_(std::exchange(other.memory_, nullptr)) {}
    ScopedLocal& operator=(ScopedLocal&& other) noexcept {
        if (this != &other) {
            reset(std::exchange(other.memory_, nullptr));
        }
        return *this;
    }
    ScopedLocal(const ScopedLocal&) = delete;
    ScopedLocal& operator=(const ScopedLocal&) = delete;
    ~ScopedLocal() { reset(); }

    T* get() const { return memory_; }
    // For the API's output parameter; releases what was held before.
    T** put() {
        reset();
        return &memory_;
    }
    void reset(T* memory = nullptr) {
        if (memory_ != nullptr) {
            LocalFree(memory_);
        }
        memory_ = memory;
    }

  private:
    T* memory_ = nullptr;
};

// A result buffer of the network management functions (NetUserEnum,
// NetGetDCName, ...), released with NetApiBufferFree.
class ScopedNetBuffer {
  public:
    ScopedNetBuffer() = default;
    ScopedNetBuffer(ScopedNetBuffer&& other) noexcept
        : buffer_(std::exchange(other.buffer_, nullptr)) {}
    ScopedNetBuffer& operator=(ScopedNetBuffer&& other) noexcept {
        if (this != &other) {
            reset(std::exchange(other.buffer_, nullptr));
        }
        return *this;
    }
    ScopedNetBuffer(const ScopedNetBuffer&) = delete;
    ScopedNetBuffer& operator=(const ScopedNetBuffer&) = delete;
    ~ScopedNetBuffer() { reset(); }

    LPBYTE get() const { return buffer_; }
    template <typename T>
    const T* as() const {
        return reinterpret_cast<const T*>(buffer_);
    }
    // For the API's output parameter; releases what was held before.
    LPBYTE* put() {
        reset();
        return &buffer_;
    }
    void reset(LPBYTE buffer = nullptr) {
        if (buffer_ != nullptr) {
            NetApiBufferFree(buffer_);
        }
        buffer_ = buffer;
    }

  private:
    LPBYTE buffer_ = nullptr;
};

}  // namespace quorel::win32
