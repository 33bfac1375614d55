// The panel's directory, where the controller and the launcher lie beside it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace brevan::statuspanel {

// Everything before the last backslash of the program's own path; none when it holds none.
std::optional<std::u16string> directoryOf(std::u16string_view programPath);

// "<directory>\<file>".
std::u16string pathIn(std::u16string_view directory, std::u16string_view file);

}  // namespace brevan::statuspanel
