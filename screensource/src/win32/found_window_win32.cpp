#include "win32/found_window_win32.h"

#include <mutex>

namespace brevan::screensource::win32 {

namespace {
std::mutex foundLock;
HWND found = nullptr;  // guarded by foundLock
}  // namespace

HWND foundWindow() {
  std::lock_guard<std::mutex> hold(foundLock);
  return found;
}

void setFoundWindow(HWND window) {
  std::lock_guard<std::mutex> hold(foundLock);
  found = window;
}

}  // namespace brevan::screensource::win32
