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

  // The packet cycle asks every 10 ms, right after the position. Each call here is a round trip
  // to the window server (several under Wine), so while the pointer stands still the window
  // under it is looked up again only every 500 ms, and the cursor its thread shows read every
  // 100 ms: a shape that window changes shows within 100 ms, the shape of another window that
  // comes up under a still pointer within 500 ms.
  CursorHandle currentHandle() override {
    if (!std::exchange(positionFresh_, false) && !GetCursorPos(&lastAt_)) return kNoCursor;
    const DWORD now = GetTickCount();
    const bool still = windowFoundAt_ && lastAt_.x == windowAt_.x && lastAt_.y == windowAt_.y;
    if (!still || now - *windowFoundAt_ >= kWindowMaxAge) {
      attached_ = attachToWindowUnder(lastAt_);
      windowAt_ = lastAt_;
      windowFoundAt_ = now;
    } else if (now - handleReadAt_ < kHandleMaxAge) {
      return handle_;
    }
    handle_ = attached_ ? asHandle(GetCursor()) : kNoCursor;
    handleReadAt_ = now;
    return handle_;
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
  // Shares the input state of the thread whose window is under the pointer, so that GetCursor
  // answers for it.
  bool attachToWindowUnder(POINT at) {
    HWND window = windowUnderPointer(at);
    return window &&
           grabber_.inputAttachment().shareWith(GetWindowThreadProcessId(window, nullptr));
  }

  static constexpr DWORD kHandleMaxAge = 100;  // ms
  static constexpr DWORD kWindowMaxAge = 500;  // ms

  WindowGrabber& grabber_;
  POINT lastAt_{};
  bool positionFresh_ = false;  // lastAt_ was read by position() just now
  POINT windowAt_{};            // where the window under the pointer was looked up
  std::optional<DWORD> windowFoundAt_;
  bool attached_ = false;  // its thread's input state is shared
  CursorHandle handle_ = kNoCursor;
  DWORD handleReadAt_ = 0;
};

}  // namespace

std::unique_ptr<CursorSource> makeWindowCursor(WindowGrabber& grabber) {
  return std::make_unique<WindowCursor>(grabber);
}

}  // namespace brevan::screensource::win32
