// The product's own programs beside the panel, started through the shell.
#pragma once

#include <string>

namespace brevan::statuspanel {

// The full path of the running program, however long.
std::wstring ownModulePath();

// "BrevanController.exe" with "start" or "stop", hidden, in `directory`. Not awaited.
void runController(const std::wstring& directory, const wchar_t* parameters);

// "BrevanLauncher.exe" without parameters, shown normally, in `directory`.
void openLauncher(const std::wstring& directory);

}  // namespace brevan::statuspanel
