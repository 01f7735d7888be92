#include "platform/sim/volume_journal.h"

#include <vector>

#include "platform/sim/volume_file.h"

namespace quorel::sim {

namespace {

constexpr std::uint32_t kWriteFault = 29;  // ERROR_WRITE_FAULT

}  // namespace

std::unique_ptr<VolumeJournal> VolumeJournal::open(FileIoPort& files, const std::wstring& path,
                                                   std::string& error) {
    std::uint32_t code = 0;
    std::unique_ptr<ByteSource> source = files.openRead(path, code);
    if (!source) {
        error = "the volume file cannot be opened (error " + std::to_string(code) + ")";
        return nullptr;
    }
    std::string text(static_cast<std::size_t>(source->size()), '\0');
    if (!source->read(text.data(), text.size())) {
        error = "the volume file cannot be read";
        return nullptr;
    }
    source.reset();
    VolumeRead read = readVolume(text);
    if (!read.platform) {
        error = read.error;
        return nullptr;
    }
    // A record cut off by a stop goes, so that the next one starts a line;
    // a whole last record without its line end gets one.
    const bool cut = !read.cutOff.empty();
    std::unique_ptr<ByteSink> sink;
    if (!cut || files.truncate(path, read.length)) {
        sink = files.create(path, CreateMode::Append, code);
    }
    const bool lineEnd = sink && !cut && !text.ends_with("\n");
    if (!sink || (lineEnd && (!sink->write("\n", 1) || !sink->flush()))) {
        error = "the volume file cannot be written (error " + std::to_string(code) + ")";
        return nullptr;
    }
    return std::unique_ptr<VolumeJournal>(
        new VolumeJournal(std::move(read.platform), files, path, std::move(sink),
                          read.length + (lineEnd ? 1 : 0), std::move(read.cutOff)));
}

template <class Write>
std::uint32_t VolumeJournal::journaled(const std::wstring& path, Write write) {
    SimObject* object = platform_->volume().find(path);
    const std::optional<SecurityDescriptor> before =
        object ? std::optional<SecurityDescriptor>(object->security) : std::nullopt;
    const std::uint32_t error = write();
    if (error != 0 || object == nullptr) {
        return error;
    }
    std::optional<std::string> record = itemRecord(recordPath(*object), *object);
    if (record) {
        *record += '\n';
    }
    if (!record || !sink_ || !sink_->write(record->data(), record->size()) || !sink_->flush()) {
        object->security = *before;
        cutBack();
        return kWriteFault;
    }
    length_ += record->size();
    return 0;
}

void VolumeJournal::cutBack() {
    // What reached the file of a record that did not is cut off, so that
    // the file holds whole records only; the file is opened again for the
    // next record.
    sink_.reset();
    std::uint32_t error = 0;
    if (files_.truncate(path_, length_)) {
        sink_ = files_.create(path_, CreateMode::Append, error);
    }
}

SdReadStatus VolumeJournal::readSecurity(const std::wstring& path, SecurityDescriptor& out) {
    return platform_->readSecurity(path, out);
}

std::uint32_t VolumeJournal::writeDacl(const std::wstring& path, const std::vector<RawAce>& dacl,
                                       DaclControl control) {
    return journaled(path, [&] { return platform_->writeDacl(path, dacl, control); });
}

std::uint32_t VolumeJournal::writeNullDacl(const std::wstring& path) {
    return journaled(path, [&] { return platform_->writeNullDacl(path); });
}

std::uint32_t VolumeJournal::setOwner(const std::wstring& path, const Sid& owner) {
    return journaled(path, [&] { return platform_->setOwner(path, owner); });
}

}  // namespace quorel::sim
