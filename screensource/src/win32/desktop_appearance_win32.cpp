#include "win32/desktop_appearance_win32.h"

#include <windows.h>

#include <mutex>
#include <optional>
#include <string>

namespace brevan::screensource::win32 {

namespace {

constexpr UINT kSave = 0;
constexpr UINT kApply = SPIF_UPDATEINIFILE | SPIF_SENDCHANGE;
constexpr UINT kWallpaperChars = 512;
constexpr UINT kLongestKeyDelay = 3;

// A restore applies only what a successful save read: made-up defaults would overwrite the
// user's own settings (and lose the wallpaper) when no save came first.
struct SavedAppearance {
  std::mutex mutex;  // Java threads call these without an order between sources
  std::optional<BOOL> dragFullWindows;
  std::optional<std::wstring> wallpaper;  // wide: an ANSI path comes back with '?' for others
  std::optional<int> keyDelay;
};

SavedAppearance& saved() {
  static SavedAppearance instance;
  return instance;
}

}  // namespace

int saveDragFullWindows() {
  BOOL value = FALSE;
  const int result = SystemParametersInfoW(SPI_GETDRAGFULLWINDOWS, 4, &value, kSave);
  std::lock_guard<std::mutex> lock(saved().mutex);
  if (result) saved().dragFullWindows = value;
  return result;
}

int setDragFullWindows() {
  return SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, 1, nullptr, kApply);
}

int restoreDragFullWindows() {
  std::lock_guard<std::mutex> lock(saved().mutex);
  if (!saved().dragFullWindows) return 0;
  return SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, UINT(*saved().dragFullWindows), nullptr,
                               kApply);
}

int saveWallpaper() {
  wchar_t path[kWallpaperChars] = {};
  const int result = SystemParametersInfoW(SPI_GETDESKWALLPAPER, kWallpaperChars, path, kSave);
  std::lock_guard<std::mutex> lock(saved().mutex);
  if (result) saved().wallpaper = std::wstring(path);
  return result;
}

int setNoWallpaper() {
  wchar_t none[] = L"(None)";
  return SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, none, kApply);
}

int restoreWallpaper() {
  std::lock_guard<std::mutex> lock(saved().mutex);
  if (!saved().wallpaper) return 0;
  std::wstring path = *saved().wallpaper;
  return SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, path.data(), kApply);
}

int saveKeyDelay() {
  int value = 0;
  const int result = SystemParametersInfoW(SPI_GETKEYBOARDDELAY, 4, &value, kSave);
  std::lock_guard<std::mutex> lock(saved().mutex);
  if (result) saved().keyDelay = value;
  return result;
}

int setKeyDelay() {
  return SystemParametersInfoW(SPI_SETKEYBOARDDELAY, kLongestKeyDelay, nullptr, kApply);
}

int restoreKeyDelay() {
  std::lock_guard<std::mutex> lock(saved().mutex);
  if (!saved().keyDelay) return 0;
  return SystemParametersInfoW(SPI_SETKEYBOARDDELAY, UINT(*saved().keyDelay), nullptr, kApply);
}

}  // namespace brevan::screensource::win32
