// A screen read that fails on the calling thread's desktop (the input desktop switched, as to a
// logon or locked screen) is tried again from the other desktops of the process's window
// station.
#pragma once

#include <windows.h>

#include <functional>

#include "winhelpers/handles.h"

namespace brevan::screensource::win32 {

class DesktopRetry {
 public:
  static constexpr int kMaxDesktops = 10;
  // Read and write objects (DESKTOP_READOBJECTS | DESKTOP_WRITEOBJECTS).
  static constexpr ACCESS_MASK kDesktopAccess = 0x81;

  DesktopRetry() = default;
  // Puts the thread back on its first desktop when it still uses the one switched to, so that
  // desktop can be closed.
  ~DesktopRetry();
  DesktopRetry(const DesktopRetry&) = delete;
  DesktopRetry& operator=(const DesktopRetry&) = delete;

  // Switches the calling thread to each other desktop in turn (at most kMaxDesktops) and calls
  // `attempt` there, stopping at the first success; the thread stays on that desktop. When none
  // succeeds the thread returns to the desktop it was on.
  bool retry(const std::function<bool()>& attempt);

 private:
  bool switchTo(HDESK desktop);

  HDESK original_ = nullptr;              // the thread's own desktop, not to be closed
  brevan::win32::ScopedDesktop current_;  // the desktop the thread was switched to, if any
};

}  // namespace brevan::screensource::win32
