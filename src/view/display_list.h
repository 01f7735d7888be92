#pragma once

#include <cstddef>
#include <vector>

namespace quorel {

class CDirEntry;
class CDirList;

// The entries the matrix draws, in dataset order.
class DisplayList {
  public:
    const std::vector<CDirEntry*>& lines() const { return lines_; }
    std::size_t lineCount() const { return lines_.size(); }
    // Slots of the list with its terminating empty slot: lines + 1.
    std::size_t count() const { return lines_.size() + 1; }
    CDirEntry* at(std::size_t i) const { return i < lines_.size() ? lines_[i] : nullptr; }
    void clear() { lines_.clear(); }
    void append(CDirEntry* e) { lines_.push_back(e); }

  private:
    std::vector<CDirEntry*> lines_;
};

// Every visible entry of `list` in dataset order.
void BuildLineList(const CDirList& list, DisplayList& out);

}  // namespace quorel
