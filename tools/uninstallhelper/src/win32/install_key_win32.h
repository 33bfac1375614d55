// The product's configuration key: the install directory it names, and its removal.
#pragma once

#include <optional>
#include <string>

namespace brevan::uninstallhelper {

// The "InstallDir" string, whole; nothing when the key or value is missing, or the value is no
// terminated string.
std::optional<std::u16string> readInstallDir();

// Deletes the key with its subkeys and values.
void deleteInstallKey();

}  // namespace brevan::uninstallhelper
