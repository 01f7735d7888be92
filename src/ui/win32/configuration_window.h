#pragma once

#include <functional>
#include <optional>
#include <string>

#include "app/app_windows.h"
#include "app/scan_configuration.h"

namespace quorel {
class FileIoPort;
class FileSystemPort;
class InteractionPort;
}  // namespace quorel

namespace quorel::win32 {

struct ConfigurationPorts {
    FileSystemPort& fileSystem;
    FileIoPort& files;
    InteractionPort& ui;
    std::function<std::optional<std::wstring>(FileDialog)> chooseFile;
};

// The window "ChooseConfiguration" ("New Scan") in its new-scan or compare
// form. OK closes it only when CheckConfiguration passes; Cancel and the
// close box give nothing.
std::optional<ScanConfiguration> RunConfigurationWindow(bool compareForm,
                                                        const ConfigurationPorts& ports);

}  // namespace quorel::win32
