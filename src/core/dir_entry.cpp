#include "core/dir_entry.h"

#include <vector>

#include "core/dir_list.h"

namespace quorel {

CDirEntry::CDirEntry(CDirList* dataset) : dataset_(dataset) {}

CDirEntry::~CDirEntry() = default;

std::unique_ptr<CDirEntry> CDirEntry::makeHeading(std::wstring_view text) {
    std::unique_ptr<CDirEntry> entry(new CDirEntry(nullptr));
    entry->extras().headingText = text;
    entry->isHeading = 1;
    entry->visible = 1;
    return entry;
}

CDirEntry::Extras& CDirEntry::extras() {
    if (!extras_) {
        extras_ = std::make_unique<Extras>();
    }
    return *extras_;
}

void CDirEntry::setListingNotRead(bool notRead) {
    if (notRead && firstChild_ != nullptr) {
        return;
    }
    listingNotRead_ = notRead;
}

namespace {

void appendComponent(std::wstring& path, std::wstring_view name) {
    if (!path.empty() && path.back() != L'\\') {
        path += L'\\';
    }
    path += name;
}

}  // namespace

std::wstring CDirEntry::path() const {
    std::vector<const CDirEntry*> chain;
    const CDirEntry* e = this;
    while (e != nullptr && !e->pathStored_) {
        chain.push_back(e);
        e = e->parent_;
    }
    std::wstring result;
    if (e != nullptr) {
        result = e->extras_->path;
    }
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        appendComponent(result, (*it)->name_);
    }
    return result;
}

bool CDirEntry::pathIsDerived(std::wstring_view path) const {
    if (parent_ == nullptr) {
        return path == name_;
    }
    std::wstring derived = parent_->path();
    appendComponent(derived, name_);
    return path == derived;
}

void CDirEntry::setPath(std::wstring_view path) {
    pathStored_ = false;
    if (pathIsDerived(path)) {
        if (extras_) {
            extras_->path.clear();
        }
        return;
    }
    extras().path = path;
    pathStored_ = true;
}

void CDirEntry::setName(std::wstring_view name) {
    // A stored path does not follow the name; a derived one does.
    name_ = dataset_ != nullptr ? dataset_->storeText(name) : std::wstring_view();
}

std::wstring_view CDirEntry::ownerName() const {
    return dataset_ != nullptr ? dataset_->accountNames().name(owner_) : std::wstring_view();
}

std::wstring_view CDirEntry::ownerDomain() const {
    return dataset_ != nullptr ? dataset_->accountNames().domain(owner_) : std::wstring_view();
}

std::wstring_view CDirEntry::groupName() const {
    return dataset_ != nullptr ? dataset_->accountNames().name(group_) : std::wstring_view();
}

std::wstring_view CDirEntry::groupDomain() const {
    return dataset_ != nullptr ? dataset_->accountNames().domain(group_) : std::wstring_view();
}

bool CDirEntry::groupDomainSet() const {
    return dataset_ != nullptr && dataset_->accountNames().domainSet(group_);
}

void CDirEntry::setOwner(std::wstring_view name, std::wstring_view domain) {
    if (dataset_ != nullptr) {
        owner_ = dataset_->accountNames().intern(name, domain);
    }
}

void CDirEntry::setGroup(std::wstring_view name, std::wstring_view domain) {
    if (dataset_ != nullptr) {
        group_ = dataset_->accountNames().intern(name, domain);
    }
}

void CDirEntry::setGroupNameOnly(std::wstring_view name) {
    if (dataset_ != nullptr) {
        AccountNames& names = dataset_->accountNames();
        group_ = names.internIds(names.internText(name), 0);
    }
}

std::wstring_view CDirEntry::headingText() const {
    return extras_ ? std::wstring_view(extras_->headingText) : std::wstring_view();
}

std::wstring_view CDirEntry::reparseTarget() const {
    return extras_ ? std::wstring_view(extras_->reparseTarget) : std::wstring_view();
}

std::wstring_view CDirEntry::ownerBackup() const {
    return extras_ ? std::wstring_view(extras_->ownerBackup) : std::wstring_view();
}

void CDirEntry::setReparseTarget(std::wstring_view target) {
    if (target.empty() && !extras_) {
        return;
    }
    extras().reparseTarget = target;
}

void CDirEntry::setOwnerBackup(std::wstring_view text) {
    if (text.empty() && !extras_) {
        return;
    }
    extras().ownerBackup = text;
}

const Sid* CDirEntry::ownerBackupSid() const {
    return extras_ && !extras_->ownerBackupSid.empty() ? &extras_->ownerBackupSid : nullptr;
}

void CDirEntry::setOwnerBackupSid(const Sid* sid) {
    if (sid == nullptr && !extras_) {
        return;
    }
    extras().ownerBackupSid = sid ? *sid : Sid();
}

void CDirEntry::resizeAces(std::uint32_t count) {
    aces_.reset(count > 0 ? new AceRecord[count] : nullptr);
    aceCount_ = count;
}

const AceRecord* CDirEntry::partnerAceOf(const AceRecord& ace) const {
    if (partner == nullptr || !ace.hasPartnerAce()) {
        return nullptr;
    }
    return partner->ace(ace.partnerAce);
}

void CDirEntry::resetMarks() {
    findMarks = 0;
    for (std::uint32_t i = 0; i < aceCount_; ++i) {
        aces_[i].findMark = 0;
    }
    if (partner != nullptr) {
        for (std::uint32_t i = 0; i < partner->aceCount_; ++i) {
            partner->aces_[i].findMark = 0;
        }
    }
}

}  // namespace quorel
