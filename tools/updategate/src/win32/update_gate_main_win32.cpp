// UpdateGate: waits while the product's property file says an update is under way, then starts
// the product's launcher from the current directory in its place.
#include <windows.h>

#include <cstring>
#include <string>

#include "update_gate.h"
#include "winhelpers/handles.h"

namespace {

constexpr char kPropertyFile[] = "Zemtra.txt";
constexpr char kProperty[] = "isReadyForUpdate";
constexpr wchar_t kLauncher[] = L"BrevanLauncher.exe";
constexpr char kNoFileLine[] = "Error: could not open property file\r\n";

constexpr int kLauncherStarted = 0;
constexpr int kLauncherMissing = 1;

void print(const char* text) {
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text, DWORD(std::strlen(text)), &written, nullptr);
}

brevan::updategate::Reading readReadiness() {
  const auto reading = brevan::updategate::readPropertyFile(kPropertyFile, kProperty);
  if (reading.kind == brevan::updategate::ReadingKind::kNoFile) print(kNoFileLine);
  return reading;
}

// The launcher of the current directory only, with an empty argument list as before.
bool startLauncher() {
  const DWORD size = GetCurrentDirectoryW(0, nullptr);
  std::wstring path(size, L'\0');
  const DWORD length = GetCurrentDirectoryW(size, path.data());
  if (length == 0 || length >= size) return false;
  path.resize(length);
  if (path.back() != L'\\') path += L'\\';
  path += kLauncher;
  wchar_t commandLine[] = L"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(path.c_str(), commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &info)) {
    return false;
  }
  brevan::win32::ScopedHandle(info.hThread).close();
  brevan::win32::ScopedHandle(info.hProcess).close();
  return true;
}

}  // namespace

int main() {
  brevan::updategate::waitUntilOpen(readReadiness, [](int ms) { Sleep(DWORD(ms)); });
  return startLauncher() ? kLauncherStarted : kLauncherMissing;
}
