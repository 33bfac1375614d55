#include "win32/window_search_win32.h"

namespace brevan::wintoggle {

namespace {

struct Search {
  const ToggleRequest& request;
  HWND found = nullptr;
};

bool matches(HWND window, const ToggleRequest& request) {
  char title[kTitleBufferBytes];
  const int length = GetWindowTextA(window, title, int(sizeof title));
  return titleMatches(std::string_view(title, length > 0 ? size_t(length) : 0), request);
}

BOOL CALLBACK visitDescendant(HWND window, LPARAM context) {
  auto& search = *reinterpret_cast<Search*>(context);
  if (!matches(window, search.request)) return TRUE;
  search.found = window;
  return FALSE;
}

BOOL CALLBACK visitTopLevel(HWND window, LPARAM context) {
  auto& search = *reinterpret_cast<Search*>(context);
  if (matches(window, search.request)) {
    search.found = window;
  } else {
    EnumChildWindows(window, visitDescendant, context);
  }
  return search.found ? FALSE : TRUE;
}

}  // namespace

HWND findFirstMatchingWindow(const ToggleRequest& request) {
  Search search{request};
  EnumWindows(visitTopLevel, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace brevan::wintoggle
