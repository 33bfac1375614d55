// WinToggle: hides or shows the first window whose title matches, and ends. No window, no output,
// exit code 0.
#include <windows.h>

#include "toggle_request.h"
#include "win32/window_search_win32.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR arguments, int) {
  const auto request = brevan::wintoggle::parseToggleArguments(arguments ? arguments : "");
  if (!request) return 0;
  if (HWND window = brevan::wintoggle::findFirstMatchingWindow(*request)) {
    // Posted, so that a target that does not answer cannot hold the tool.
    ShowWindowAsync(window, request->showState);
  }
  return 0;
}
