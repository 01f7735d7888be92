#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/security_descriptor.h"

namespace quorel::sim {

// One file or folder of the simulated volume.
struct SimObject {
    std::wstring name;
    bool isDirectory = false;
    std::uint32_t extraAttributes = 0;
    SecurityDescriptor security;
    std::uint32_t reparseTag = 0;               // not 0: a reparse point with this tag
    std::optional<std::wstring> reparseTarget;  // a link's target text
    bool reparseDataReadable = true;            // false: the attribute is there, the data not
    // Listing this folder fails with `listingError` once this many items
    // ("." and ".." included) were handed out ("FindNextFileW function": any
    // error other than ERROR_NO_MORE_FILES can end a listing part-way).
    std::size_t listingFailsAfter = static_cast<std::size_t>(-1);
    std::uint32_t listingError = 0;
    // Reading or writing the descriptor fails with this error (0: works).
    std::uint32_t readError = 0;
    std::uint32_t writeError = 0;
    SimObject* parent = nullptr;
    std::vector<std::unique_ptr<SimObject>> children;  // kept sorted as NTFS lists them

    std::uint32_t attributes() const;
    SimObject* child(std::wstring_view name) const;
};

// An in-memory NT volume: volume roots ("C:", "\\server\share") holding
// folders and files, with case-insensitive paths. Every folder but a drive
// root lists "." and ".." first, then its items ordered by their upper-cased
// names, as NTFS does.
class SimVolume {
  public:
    SimVolume();

    // Finds the object of a path as a user gives it: "\" or "/" separated,
    // "." and ".." components resolved, a trailing separator ignored, case
    // ignored. Null when it does not exist.
    SimObject* find(std::wstring_view path) const;

    // Creates the object (and missing parent folders) with the descriptor
    // Windows gives a new item there (newItemSecurity). An existing object
    // is returned as it is.
    SimObject* create(std::wstring_view path, bool isDirectory);
    bool remove(std::wstring_view path);

    // The volume roots in the order they were made.
    const std::vector<std::unique_ptr<SimObject>>& roots() const { return roots_; }

    // Owner, group and DACL given to every volume root and to objects whose
    // parent passes nothing on.
    SecurityDescriptor& defaultSecurity() { return defaultSecurity_; }

    // The descriptor of an item created in a folder with `parent`: the
    // default owner and group, the DACL the ACE inheritance rules give it.
    SecurityDescriptor newItemSecurity(const SecurityDescriptor& parent, bool isDirectory) const;

  private:
    SimObject* findRoot(std::wstring_view root) const;

    std::vector<std::unique_ptr<SimObject>> roots_;
    SecurityDescriptor defaultSecurity_;
};

// Builds one object in one line:
// volume.dir(L"C:\\data").owner(alice).allow(bob, access::kFileAllAccess,
// ace_flag::kObjectInherit);
class ObjectBuilder {
  public:
    explicit ObjectBuilder(SimObject& object) : object_(object) {}

    ObjectBuilder& owner(const Sid& sid);
    ObjectBuilder& group(const Sid& sid);
    ObjectBuilder& noOwner();
    // Replaces the DACL; with no ACEs this is an empty DACL.
    ObjectBuilder& dacl(std::vector<RawAce> aces = {});
    ObjectBuilder& allow(const Sid& sid, std::uint32_t mask, std::uint8_t flags = 0);
    ObjectBuilder& deny(const Sid& sid, std::uint32_t mask, std::uint8_t flags = 0);
    ObjectBuilder& ace(RawAce ace);
    ObjectBuilder& objectAce(std::uint8_t type, const Sid& sid, std::uint32_t mask,
                             std::uint8_t flags = 0);
    ObjectBuilder& nullDacl();
    ObjectBuilder& noDacl();
    ObjectBuilder& protect(bool on = true);
    // Makes the folder a junction (IO_REPARSE_TAG_MOUNT_POINT) to `target`;
    // `readable` false leaves its data unreadable (a held handle, or a file
    // system that cannot query it).
    ObjectBuilder& reparse(const std::wstring& target, bool readable = true);
    // Gives the object the reparse tag `tag` (a symbolic link after
    // reparse(), a cloud placeholder or a deduplicated item alone).
    ObjectBuilder& reparseTag(std::uint32_t tag);
    // Listing the folder fails with `error` after `afterItems` items.
    ObjectBuilder& listingFails(std::size_t afterItems, std::uint32_t error);
    ObjectBuilder& attributes(std::uint32_t extra);

    SimObject& object() { return object_; }

  private:
    SimObject& object_;
};

}  // namespace quorel::sim
