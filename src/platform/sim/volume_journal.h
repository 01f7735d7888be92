#pragma once

#include <memory>
#include <string>

#include "platform/file_io_port.h"
#include "platform/security_port.h"
#include "platform/sim/sim_platform.h"

namespace quorel::sim {

// A volume file opened for editing: the simulated platform its records
// build, whose every security write is appended to the file as the item's
// record (dir, file or link with its whole new descriptor) and flushed
// before the write counts as done. A process killed at any point leaves a
// file that opens with each item's old or new descriptor, as a disk would:
// opening replays the records, a later record for a path replacing the
// earlier one, and a last record cut off in the middle is left out and cut
// away. A write whose record cannot be appended is undone and fails with
// ERROR_WRITE_FAULT, and what reached the file of it is cut away.
class VolumeJournal : public SecurityPort {
  public:
    // Reads the volume file `path` and opens it for appending. Null with
    // `error` set ("line 12: ...", or why the file cannot be opened).
    static std::unique_ptr<VolumeJournal> open(FileIoPort& files, const std::wstring& path,
                                               std::string& error);

    // Why the file was read without its last line, or empty (see
    // VolumeRead::cutOff).
    const std::string& cutOff() const { return cutOff_; }

    // Listings, lookups, privileges and reads go straight to the platform.
    SimPlatform& platform() { return *platform_; }

    SdReadStatus readSecurity(const std::wstring& path, SecurityDescriptor& out) override;
    std::uint32_t writeDacl(const std::wstring& path, const std::vector<RawAce>& dacl,
                            DaclControl control) override;
    std::uint32_t writeNullDacl(const std::wstring& path) override;
    std::uint32_t setOwner(const std::wstring& path, const Sid& owner) override;

  private:
    VolumeJournal(std::unique_ptr<SimPlatform> platform, FileIoPort& files, std::wstring path,
                  std::unique_ptr<ByteSink> sink, std::uint64_t length, std::string cutOff)
        : platform_(std::move(platform)),
          files_(files),
          path_(std::move(path)),
          sink_(std::move(sink)),
          length_(length),
          cutOff_(std::move(cutOff)) {}

    // Runs `write` on the platform and appends the item's record; undoes the
    // write when the record does not reach the file.
    template <class Write>
    std::uint32_t journaled(const std::wstring& path, Write write);

    // After a failed append: the file cut back to its whole records.
    void cutBack();

    std::unique_ptr<SimPlatform> platform_;
    FileIoPort& files_;
    std::wstring path_;
    std::unique_ptr<ByteSink> sink_;  // null when the file could not be opened again
    std::uint64_t length_;            // the bytes of the file's whole records
    std::string cutOff_;
};

}  // namespace quorel::sim
