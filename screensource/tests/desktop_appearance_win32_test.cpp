// Save, set and restore of the desktop settings a session changes, checked through
// SystemParametersInfo and the registry values the settings persist to.
#include "win32/desktop_appearance_win32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace brevan::screensource::test {
namespace {

using namespace brevan::screensource::win32;

std::wstring registryText(const wchar_t* key, const wchar_t* value) {
  wchar_t text[600] = {};
  DWORD size = sizeof text;
  if (RegGetValueW(HKEY_CURRENT_USER, key, value, RRF_RT_REG_SZ, nullptr, text, &size) !=
      ERROR_SUCCESS)
    return L"<missing>";
  return text;
}

std::wstring wallpaper() {
  wchar_t path[512] = {};
  SystemParametersInfoW(SPI_GETDESKWALLPAPER, 512, path, 0);
  return path;
}

int keyDelay() {
  int value = -1;
  SystemParametersInfoW(SPI_GETKEYBOARDDELAY, 0, &value, 0);
  return value;
}

BOOL dragFullWindows() {
  BOOL value = -1;
  SystemParametersInfoW(SPI_GETDRAGFULLWINDOWS, 0, &value, 0);
  return value;
}

constexpr UINT kApply = SPIF_UPDATEINIFILE | SPIF_SENDCHANGE;

// One process, one order: a restore before any save must change nothing.
TEST(DesktopAppearance, SaveSetRestoreGivesBackWhatWasThere) {
  const std::wstring userPath = L"C:\\Bilder\\Br\u00e9van \u00fc.bmp";  // outside ASCII
  ASSERT_TRUE(SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, (void*)userPath.c_str(), kApply));
  ASSERT_TRUE(SystemParametersInfoW(SPI_SETKEYBOARDDELAY, 1, nullptr, kApply));
  ASSERT_TRUE(SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, 0, nullptr, kApply));

  EXPECT_EQ(restoreWallpaper(), 0);
  EXPECT_EQ(restoreKeyDelay(), 0);
  EXPECT_EQ(restoreDragFullWindows(), 0);
  EXPECT_EQ(wallpaper(), userPath) << "a restore without a save leaves the user's settings";
  EXPECT_EQ(keyDelay(), 1);
  EXPECT_EQ(dragFullWindows(), FALSE);

  EXPECT_NE(saveWallpaper(), 0);
  EXPECT_NE(saveKeyDelay(), 0);
  EXPECT_NE(saveDragFullWindows(), 0);

  EXPECT_NE(setNoWallpaper(), 0);
  EXPECT_NE(setKeyDelay(), 0);
  EXPECT_NE(setDragFullWindows(), 0);
  EXPECT_EQ(keyDelay(), 3);
  EXPECT_EQ(dragFullWindows(), TRUE);
  EXPECT_EQ(registryText(L"Control Panel\\Keyboard", L"KeyboardDelay"), L"3");
  EXPECT_EQ(registryText(L"Control Panel\\Desktop", L"DragFullWindows"), L"1");
  EXPECT_NE(wallpaper(), userPath);

  EXPECT_NE(restoreWallpaper(), 0);
  EXPECT_NE(restoreKeyDelay(), 0);
  EXPECT_NE(restoreDragFullWindows(), 0);
  EXPECT_EQ(wallpaper(), userPath) << "the path comes back whole, beyond the ANSI code page";
  EXPECT_EQ(registryText(L"Control Panel\\Desktop", L"Wallpaper"), userPath);
  EXPECT_EQ(keyDelay(), 1);
  EXPECT_EQ(registryText(L"Control Panel\\Keyboard", L"KeyboardDelay"), L"1");
  EXPECT_EQ(dragFullWindows(), FALSE);
  EXPECT_EQ(registryText(L"Control Panel\\Desktop", L"DragFullWindows"), L"0");
}

}  // namespace
}  // namespace brevan::screensource::test
