// The simulated volume as a conformance backend.

#include "backend.h"
#include "platform/sim/sim_platform.h"

namespace quorel::conformance {

namespace {

// The owner and primary group the volume gives new items, and the user the
// scenarios run as (its owner, so that it may read and write every DACL).
const Sid kOwner = Sid::make(5, {21, 1, 2, 3, 1001});
const Sid kGroup = Sid::make(5, {21, 1, 2, 3, 513});

std::wstring volumePath(const std::string& path) {
    return L"C:\\" + std::wstring(path.begin(), path.end());
}

std::string errorText(std::uint32_t error) {
    return "Windows error " + std::to_string(error);
}

class SimulationBackend : public Backend {
  public:
    std::string name() const override { return "simulation"; }
    bool followsWindows() const override { return true; }

    std::string create(const std::string& path, bool folder) override {
        // A top folder starts a scenario: a fresh machine for it.
        if (path.find('\\') == std::string::npos) {
            platform_ = std::make_unique<sim::SimPlatform>();
            // Like the root of the Samba share, the volume root passes
            // nothing on: a scenario's first folder has no inherited ACEs on
            // either backend.
            SecurityDescriptor& root = platform_->volume().defaultSecurity();
            root.owner = kOwner;
            root.group = kGroup;
            root.control &= static_cast<std::uint16_t>(~sd_control::kDaclAutoInherited);
            for (RawAce& ace : root.dacl) {
                ace.setFlags(0);
            }
            platform_->accounts().setCurrentUser(kOwner);
        }
        if (platform_->volume().find(volumePath(path)) != nullptr) {
            return "it exists";
        }
        const std::wstring full = volumePath(path);
        const std::size_t cut = full.rfind(L'\\');
        if (cut > 2 && platform_->volume().find(full.substr(0, cut)) == nullptr) {
            return "its folder does not exist";
        }
        return platform_->volume().create(full, folder) ? std::string() : "not created";
    }

    std::string read(const std::string& path, ItemSecurity& out) override {
        SecurityDescriptor sd;
        const SdReadStatus status = platform_->readSecurity(volumePath(path), sd);
        if (!status.ok()) {
            return errorText(status.error);
        }
        if (!sd.owner || !sd.group || sd.daclState != DaclState::Present) {
            return "no owner, group or DACL";
        }
        out = {*sd.owner, *sd.group, {sd.control, sd.dacl}};
        return {};
    }

    std::string write(const std::string& path, const std::vector<RawAce>& dacl,
                      std::uint16_t control) override {
        const std::uint32_t error =
            platform_->writeDacl(volumePath(path), dacl, DaclControl(control));
        return error == 0 ? std::string() : errorText(error);
    }

  private:
    std::unique_ptr<sim::SimPlatform> platform_ = std::make_unique<sim::SimPlatform>();
};

}  // namespace

std::unique_ptr<Backend> makeSimulationBackend() {
    return std::make_unique<SimulationBackend>();
}

}  // namespace quorel::conformance
