// Which value of "InstallDir" the uninstall helper acts on. The value can be empty, the root of a
// drive or tampered with, and the helper deletes whatever tree it names, so only a plain
// absolute path below a drive or share root passes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace brevan::uninstallhelper {

// The text of a registry string value: up to its first NUL, nothing when the value is not a
// string or holds no NUL within its bytes (UTF-16LE).
std::optional<std::u16string> terminatedString(bool isString, const uint8_t* data, size_t size);

// The directory without a trailing separator ("/" read as "\"), when it is "X:\dir..." or
// "\\server\share\dir..." with at least one directory below the root, no empty component, no
// component that Windows would trim ("..", "a.", "a "), and no wildcard, stream or reserved
// character. Nothing otherwise.
std::optional<std::u16string> installDirectoryPath(std::u16string_view text);

// The same path in the form that lifts the length limit of the file functions
// ("\\?\C:\dir", "\\?\UNC\server\share\dir").
std::u16string extendedLengthPath(const std::u16string& path);

}  // namespace brevan::uninstallhelper
