#include <windows.h>

#include "system_backends.h"
#include "winhelpers/wide_text.h"

namespace brevan::hostutil {

namespace win32 = brevan::win32;

bool setWindowAlwaysOnTop(const std::u16string& title, bool onTop) {
  HWND window = FindWindowW(nullptr, win32::wide(title));
  if (window == nullptr) return false;
  SetWindowPos(window, onTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  return true;
}

}  // namespace brevan::hostutil
