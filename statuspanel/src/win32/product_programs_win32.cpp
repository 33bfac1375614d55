#include "product_programs_win32.h"

#include <windows.h>
#include <shellapi.h>

#include "panel_paths.h"
#include "winhelpers/wide_text.h"

namespace brevan::statuspanel {

namespace {

std::wstring programPath(const std::wstring& directory, const char16_t* file) {
  const std::u16string path = pathIn(brevan::win32::asUtf16(directory.c_str()), file);
  return brevan::win32::wide(path);
}

}  // namespace

std::wstring ownModulePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
    if (length == 0) return std::wstring();
    if (length < path.size()) return path.substr(0, length);
    path.resize(path.size() * 2);
  }
}

void runController(const std::wstring& directory, const wchar_t* parameters) {
  const std::wstring file = programPath(directory, u"BrevanController.exe");
  // No process handle is asked for: the controller is not awaited.
  SHELLEXECUTEINFOW execute{};
  execute.cbSize = sizeof execute;
  execute.fMask = SEE_MASK_FLAG_NO_UI;
  execute.lpVerb = L"open";
  execute.lpFile = file.c_str();
  execute.lpParameters = parameters;
  execute.lpDirectory = directory.c_str();
  execute.nShow = SW_HIDE;
  ShellExecuteExW(&execute);
}

void openLauncher(const std::wstring& directory) {
  const std::wstring file = programPath(directory, u"BrevanLauncher.exe");
  ShellExecuteW(nullptr, L"open", file.c_str(), L"", directory.c_str(), SW_SHOWNORMAL);
}

}  // namespace brevan::statuspanel
