#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace quorel {

class CDirList;
class FileIoPort;
class InteractionPort;

// The two name tables of a dataset file: every distinct account name and
// every distinct domain name, in the order the pre-order walk meets them.
struct NameTables {
    std::vector<std::wstring> users;
    std::vector<std::wstring> domains;
};

namespace dataset_file {
constexpr std::uint32_t kMajorVersion = 2;
constexpr std::uint32_t kMinorVersion = 1;
// A name record holds at most 999 characters and its terminator.
constexpr std::size_t kMaxNameChars = 999;
}  // namespace dataset_file

// Rebuilds both tables from `list`: for each entry in dataset order its
// owner, its group, then each ACE's trustee (names), and the same for the
// domains. Unset texts count as empty names.
void RebuildNameTables(const CDirList& list, NameTables& tables);

// Writes `list` to `path` with the given tables (which must hold every name
// of the list; RebuildNameTables makes them). Status texts and messages go
// through `ui`. On success the path becomes the dataset's fileName.
bool WriteDatasetFile(FileIoPort& files, InteractionPort& ui, CDirList& list,
                      const std::wstring& path, const NameTables& tables);

// Reads the dataset file `path` into the empty dataset `list`. True when the
// end record was reached without an error message. On false the caller
// discards `list` and keeps the dataset it had.
bool LoadDatasetFile(FileIoPort& files, InteractionPort& ui, CDirList& list,
                     const std::wstring& path);

// Loads `path` into a new dataset that replaces `dataset` only when the load
// succeeds; after a failure `dataset` is exactly as it was.
bool OpenDatasetFile(FileIoPort& files, InteractionPort& ui, std::unique_ptr<CDirList>& dataset,
                     const std::wstring& path);

// True when `path` can be read and its first record is the dataset magic:
// a file that the dataset reader would not refuse as "wrong file type".
bool IsDatasetFile(FileIoPort& files, const std::wstring& path);

}  // namespace quorel
