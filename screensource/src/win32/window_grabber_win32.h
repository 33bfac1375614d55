// The captured area of a window or of the whole desktop, grabbed with GDI, and the cursor over
// it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "screen_access.h"
#include "win32/desktop_retry_win32.h"
#include "win32/input_attachment_win32.h"
#include "winhelpers/gdi.h"

namespace brevan::screensource::win32 {

// The whole desktop, as the virtual screen metrics give it.
Area desktopArea();

// Grabs from the window's own device context, so the pixels are what the window shows on the
// screen (whatever covers it included). Used by one thread at a time: the packet thread.
class WindowGrabber : public Grabber {
 public:
  // window null: no window, a 0 x 0 area, and every grab fails.
  WindowGrabber(HWND window, bool wholeDesktop);
  ~WindowGrabber() override;

  // Read anew each time, so a window that moved or changed size is noticed.
  Area currentArea() override;
  const uint32_t* grab(int x, int y, int w, int h) override;

  HWND window() const { return window_; }
  // False when there is no window or its area was empty when the grabber was made.
  bool attached() const { return bool(memoryDc_); }
  // The input attachment the cursor source reads the cursor through; it ends with the grabber.
  InputAttachment& inputAttachment() { return input_; }

 private:
  bool sizeBitmap(int w, int h);
  bool blit(int x, int y, int w, int h);
  void clearOutsideArea(int x, int y, int w, int h);

  HWND window_;
  bool wholeDesktop_;
  Area area_;
  static constexpr DWORD kDesktopAreaMaxAge = 1000;  // ms
  std::optional<DWORD> areaReadAt_;  // tick count of the last read of the desktop's metrics
  // Released bottom to top: the displaced bitmap goes back into the memory context before the
  // grab bitmap is deleted, and the contexts go last.
  brevan::win32::ScopedWindowDc windowDc_;
  brevan::win32::ScopedMemoryDc memoryDc_;
  brevan::win32::ScopedBitmap bitmap_;
  brevan::win32::ScopedSelectObject displaced_;
  struct {
    BITMAPINFOHEADER header;
    DWORD spare[3];  // room for colour masks, should a driver write them
  } info_{};
  std::vector<uint32_t> pixels_;
  DesktopRetry desktops_;
  InputAttachment input_;
};

// A grabber for the whole desktop, or for one window (null: no window, a 0 x 0 area).
std::unique_ptr<WindowGrabber> makeDesktopGrabber();
std::unique_ptr<WindowGrabber> makeWindowGrabber(HWND window);
// The cursor source that goes with a grabber: it reads the cursor of the window under the
// pointer with the grabber's input attachment. The grabber must outlive it.
std::unique_ptr<CursorSource> makeWindowCursor(WindowGrabber& grabber);

}  // namespace brevan::screensource::win32
