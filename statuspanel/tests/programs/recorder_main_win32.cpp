// Stands in for the product's controller and launcher: copied in under their names, it writes
// "<own name>.log" beside itself with how it was started (key value lines) and ends.
#include <windows.h>

#include <cstdio>
#include <string>

#include "panel_mode.h"
#include "panel_window_win32.h"
#include "winhelpers/wide_text.h"

namespace {

std::wstring ownPath() {
  wchar_t path[MAX_PATH * 4] = {};
  GetModuleFileNameW(nullptr, path, DWORD(std::size(path)));
  return path;
}

std::wstring currentDirectory() {
  wchar_t directory[MAX_PATH * 4] = {};
  GetCurrentDirectoryW(DWORD(std::size(directory)), directory);
  return directory;
}

// The show state the starter asked for, or -1 when it asked for none.
int requestedShowState() {
  STARTUPINFOW startup{};
  GetStartupInfoW(&startup);
  return (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : -1;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  using brevan::statuspanel::testing::utf8;
  const std::wstring path = ownPath();
  const std::wstring name = path.substr(path.find_last_of(L'\\') + 1);
  const std::wstring log = path.substr(0, path.size() - 4) + L".log";
  std::wstring arguments(brevan::win32::asWide(
      brevan::statuspanel::argumentsAfterProgram(brevan::win32::asUtf16(GetCommandLineW()))
          .data()));
  arguments.erase(0, arguments.find_first_not_of(L" \t"));
  FILE* out = _wfopen(log.c_str(), L"a");
  if (!out) return 1;
  std::fprintf(out, "name %s\narguments %s\ndirectory %s\nshow %d\n", utf8(name).c_str(),
               utf8(arguments).c_str(), utf8(currentDirectory()).c_str(), requestedShowState());
  std::fclose(out);
  return 0;
}
