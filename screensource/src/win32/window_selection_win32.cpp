// The window whose title begins with a text, and the window at a point.
#include "win32/window_selection_win32.h"

#include "win32/found_window_win32.h"
#include "win32/window_title_win32.h"

namespace brevan::screensource::win32 {

namespace {

// One search's text and result travel through the enumeration's parameter, so searches on
// several threads do not meet.
struct TitleSearch {
  const std::wstring& prefix;
  HWND found = nullptr;
};

TitleSearch& searchOf(LPARAM parameter) { return *reinterpret_cast<TitleSearch*>(parameter); }

bool titleBegins(HWND window, const std::wstring& prefix) {
  const std::wstring title = windowTitle(window);
  return title.size() >= prefix.size() && title.compare(0, prefix.size(), prefix) == 0;
}

// Each match ends its enumeration by answering FALSE.
BOOL CALLBACK visitDescendant(HWND window, LPARAM parameter) {
  TitleSearch& search = searchOf(parameter);
  if (titleBegins(window, search.prefix)) search.found = window;
  return search.found == nullptr;
}

BOOL CALLBACK visitTopLevel(HWND window, LPARAM parameter) {
  TitleSearch& search = searchOf(parameter);
  if (titleBegins(window, search.prefix)) {
    search.found = window;
  } else {
    EnumChildWindows(window, visitDescendant, parameter);
  }
  return search.found == nullptr;
}

}  // namespace

HWND findNamedWindow(const std::wstring& prefix) {
  TitleSearch search{prefix};
  EnumWindows(visitTopLevel, reinterpret_cast<LPARAM>(&search));
  setFoundWindow(search.found);
  return search.found;
}

HWND locatedWindow(int x, int y) { return WindowFromPoint(POINT{x, y}); }

}  // namespace brevan::screensource::win32
