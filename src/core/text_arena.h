#pragma once

#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

namespace quorel {

// Holds the file names of one dataset back to back in large blocks: a name
// costs its characters and nothing else. Texts live until the arena is
// cleared; a replaced name is not reclaimed before that.
class TextArena {
  public:
    std::wstring_view store(std::wstring_view text);
    void clear();
    std::size_t bytesReserved() const { return reserved_ * sizeof(wchar_t); }

  private:
    static constexpr std::size_t kBlockChars = 32768;

    std::vector<std::unique_ptr<wchar_t[]>> blocks_;
    std::size_t used_ = kBlockChars;  // in the last ordinary block
    wchar_t* current_ = nullptr;
    std::size_t reserved_ = 0;
};

}  // namespace quorel
