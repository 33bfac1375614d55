// The cursor as the user sees it: the one set by the window under the pointer (or the window
// holding the mouse capture), read through an input attachment to that window's thread, and
// its shape drawn on the key colour.
#include <windows.h>

#include <optional>
#include <utility>

#include "win32/input_threads_win32.h"
#include "win32/window_grabber_win32.h"
#include "winhelpers/gdi.h"

namespace brevan::screensource::win32 {

namespace {

using brevan::win32::ScopedBitmap;
using brevan::win32::ScopedGdiObject;
using brevan::win32::ScopedMemoryDc;

HCURSOR asCursor(CursorHandle handle) { return reinterpret_cast<HCURSOR>(uintptr_t(handle)); }
CursorHandle asHandle(HCURSOR cursor) { return CursorHandle(reinterpret_cast<uintptr_t>(cursor)); }

// GetCapture sees only this thread's capture; a drag in another program holds the capture in
// the foreground thread.
HWND windowUnderPointer(POINT at) {
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  if (GetGUIThreadInfo(0, &info) && info.hwndCapture) return info.hwndCapture;
  return WindowFromPoint(at);
}

// The shape on a magenta square of the system's cursor size, top row first.
bool drawShape(HCURSOR cursor, int width, int height, std::vector<uint32_t>& pixels) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down, as shapes travel
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  // A 32-bit bitmap of its own keeps the key colour exact whatever the screen's depth.
  void* bits = nullptr;
  ScopedBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  ScopedMemoryDc dc(CreateCompatibleDC(nullptr));
  ScopedGdiObject key(CreateSolidBrush(RGB(0xFF, 0x00, 0xFF)));
  if (!bitmap || !dc || !key) return false;
  {
    auto selected = brevan::win32::selectObject(dc.get(), bitmap.get());
    RECT all{0, 0, width, height};
    FillRect(dc.get(), &all, static_cast<HBRUSH>(key.get()));
    if (!DrawIconEx(dc.get(), 0, 0, cursor, 0, 0, 0, nullptr, DI_NORMAL)) return false;
  }
  pixels.assign(size_t(width) * height, 0);
  if (GetDIBits(dc.get(), bitmap.get(), 0, UINT(height), pixels.data(), &info, DIB_RGB_COLORS) !=
      height)
    return false;
  for (uint32_t& p : pixels) p &= 0x00FFFFFF;  // blue, green, red, 0
  return true;
}

class WindowCursor : public CursorSource {
 public:
  explicit WindowCursor(WindowGrabber& grabber) : grabber_(grabber) {}

  CursorPosition position() override {
    POINT at{};
    if (!GetCursorPos(&at)) return {};
    lastAt_ = at;
    positionFresh_ = true;
    return {int(at.x), int(at.y)};
  }

  // The packet cycle asks every 10 ms, right after the position. Each of these calls is a trip
  // to the window server (under Wine to the X server too), so a pointer that has not moved keeps
  // its handle for up to 100 ms; a shape change without a move shows that much later.
  CursorHandle currentHandle() override {
    if (!std::exchange(positionFresh_, false) && !GetCursorPos(&lastAt_)) return kNoCursor;
    const DWORD now = GetTickCount();
    if (handleReadAt_ && now - *handleReadAt_ < kHandleMaxAge && lastAt_.x == handleAt_.x &&
        lastAt_.y == handleAt_.y)
      return handle_;
    handle_ = readHandle(lastAt_);
    handleAt_ = lastAt_;
    handleReadAt_ = now;
    return handle_;
  }

  CursorHandle readHandle(POINT at) {
    HWND window = windowUnderPointer(at);
    if (!window) return kNoCursor;
    if (!grabber_.inputAttachment().shareWith(GetWindowThreadProcessId(window, nullptr)))
      return kNoCursor;
    return asHandle(GetCursor());
  }

  CursorHandle arrowHandle() override { return asHandle(LoadCursor(nullptr, IDC_ARROW)); }

  // Cursor records tell the viewer that its input is being held back for the local user.
  bool localActivity() override { return localInputActive(); }

  bool readShape(CursorHandle handle, CursorShape& shape) override {
    ICONINFO icon{};
    if (!GetIconInfo(asCursor(handle), &icon)) return false;
    ScopedBitmap mask(icon.hbmMask), colour(icon.hbmColor);
    shape.width = GetSystemMetrics(SM_CXCURSOR);
    shape.height = GetSystemMetrics(SM_CYCURSOR);
    shape.hotspotX = int(icon.xHotspot);
    shape.hotspotY = int(icon.yHotspot);
    return drawShape(asCursor(handle), shape.width, shape.height, shape.pixels);
  }

 private:
  static constexpr DWORD kHandleMaxAge = 100;  // ms

  WindowGrabber& grabber_;
  POINT lastAt_{};
  bool positionFresh_ = false;  // lastAt_ was read by position() just now
  CursorHandle handle_ = kNoCursor;
  POINT handleAt_{};
  std::optional<DWORD> handleReadAt_;
};

}  // namespace

std::unique_ptr<CursorSource> makeWindowCursor(WindowGrabber& grabber) {
  return std::make_unique<WindowCursor>(grabber);
}

}  // namespace brevan::screensource::win32
