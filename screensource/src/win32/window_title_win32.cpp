#include "win32/window_title_win32.h"

#include <algorithm>

namespace brevan::screensource::win32 {

namespace {
constexpr int kTitleChars = 256;
constexpr UINT kOwnWindowWaitMs = 200;

bool ownProcess(HWND window) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  return process == GetCurrentProcessId();
}
}  // namespace

std::wstring windowTitle(HWND window) {
  wchar_t text[kTitleChars] = {};
  if (!ownProcess(window)) {
    // For other processes the system answers from its own copy and sends nothing.
    return std::wstring(text, size_t(GetWindowTextW(window, text, kTitleChars)));
  }
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXT, kTitleChars, reinterpret_cast<LPARAM>(text),
                           SMTO_ABORTIFHUNG | SMTO_BLOCK, kOwnWindowWaitMs, &length))
    return std::wstring();
  return std::wstring(text, std::min<size_t>(length, kTitleChars - 1));
}

}  // namespace brevan::screensource::win32
