#include "win32/install_key_win32.h"

#include <windows.h>
#include <shlwapi.h>

#include <vector>

#include "install_directory.h"
#include "winhelpers/handles.h"

namespace brevan::uninstallhelper {

namespace {

constexpr wchar_t kConfigKey[] = L"SOFTWARE\\ZemtraBreConfig";
constexpr wchar_t kInstallDirValue[] = L"InstallDir";

}  // namespace

std::optional<std::u16string> readInstallDir() {
  win32::ScopedRegistryKey key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kConfigKey, 0, KEY_QUERY_VALUE, key.receive()) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  DWORD type = 0;
  DWORD size = 0;
  std::vector<uint8_t> data;
  LONG result = RegQueryValueExW(key.get(), kInstallDirValue, nullptr, &type, nullptr, &size);
  // The value may grow between asking its size and reading it.
  while (result == ERROR_SUCCESS || result == ERROR_MORE_DATA) {
    data.resize(size);
    result = RegQueryValueExW(key.get(), kInstallDirValue, nullptr, &type, data.data(), &size);
    if (result == ERROR_SUCCESS) {
      return terminatedString(type == REG_SZ, data.data(), size);
    }
  }
  return std::nullopt;
}

void deleteInstallKey() { SHDeleteKeyW(HKEY_LOCAL_MACHINE, kConfigKey); }

}  // namespace brevan::uninstallhelper
