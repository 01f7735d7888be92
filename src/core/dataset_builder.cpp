#include "core/dataset_builder.h"

#include "core/dir_list.h"
#include "core/entry_security.h"

namespace quorel {

DatasetBuilder::DatasetBuilder(CDirList& list) : list_(list) {
    placeAfter(nullptr);
}

void DatasetBuilder::placeAfter(CDirEntry* member) {
    anchor_ = member;
    asChild_ = false;
    depth_ = member != nullptr ? member->depth : 0;
}

void DatasetBuilder::placeUnder(CDirEntry* folder) {
    if (folder == nullptr) {
        placeAfter(nullptr);
        return;
    }
    anchor_ = folder;
    asChild_ = true;
    depth_ = folder->depth + 1;
}

CDirEntry* DatasetBuilder::add() {
    CDirEntry* entry = list_.link(anchor_, asChild_, depth_);
    anchor_ = entry;
    asChild_ = false;
    last_ = entry;
    return entry;
}

CDirEntry* DatasetBuilder::addScanEntry(std::wstring_view path, std::wstring_view name,
                                        EntrySecurity& security, bool rereadParent) {
    CDirEntry* entry = add();
    entry->setName(name);
    entry->setPath(path);
    security.readSecurity(*entry);
    if (rereadParent) {
        security.reapplyParentAcl(*entry);
        security.readSecurity(*entry);
    }
    entry->resetMarks();
    entry->visible = 1;
    return entry;
}

CDirEntry* DatasetBuilder::addLoadEntry() {
    CDirEntry* entry = add();
    entry->visible = 1;
    return entry;
}

CDirEntry* DatasetBuilder::addLoadChild() {
    if (!asChild_) {
        placeUnder(anchor_);
    }
    return addLoadEntry();
}

}  // namespace quorel
