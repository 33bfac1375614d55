#include "win32/window_grabber_win32.h"

#include <algorithm>

namespace brevan::screensource::win32 {

namespace {

Area areaOf(const RECT& r) {
  return {int(r.left), int(r.top), int(r.right - r.left), int(r.bottom - r.top)};
}

}  // namespace

// A virtual screen that reaches left of the primary monitor is the desktop window's rectangle;
// otherwise the virtual screen from its origin, its size as the metrics give it.
Area desktopArea() {
  const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
  if (left < 0) {
    RECT r{};
    GetWindowRect(GetDesktopWindow(), &r);
    return areaOf(r);
  }
  return {left, GetSystemMetrics(SM_YVIRTUALSCREEN), GetSystemMetrics(SM_CXVIRTUALSCREEN),
          GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

WindowGrabber::WindowGrabber(HWND window, bool wholeDesktop)
    : window_(wholeDesktop ? GetDesktopWindow() : window), wholeDesktop_(wholeDesktop) {
  area_ = currentArea();
  if (!window_ || area_.width <= 0 || area_.height <= 0) return;
  windowDc_.reset({window_, GetWindowDC(window_)});
  if (windowDc_) memoryDc_.reset(CreateCompatibleDC(windowDc_.get().dc));
  info_.header.biSize = sizeof(BITMAPINFOHEADER);
  info_.header.biPlanes = 1;
  info_.header.biBitCount = 32;
  info_.header.biCompression = BI_RGB;
  info_.header.biWidth = info_.header.biHeight = -1;  // no grab size yet
}

WindowGrabber::~WindowGrabber() {
  input_.detach();
  OutputDebugStringA("Screen Data deal 1\r\n");
}

// The packet cycle asks every 10 ms. Each of the desktop's four metrics is a trip to the display
// driver (three round trips to the window server under Wine), and a display change noticed a
// second late costs nothing but a second of tiles on the old grid, so they are read again only
// after that long.
Area WindowGrabber::currentArea() {
  if (wholeDesktop_) {
    const DWORD now = GetTickCount();
    if (!areaReadAt_ || now - *areaReadAt_ >= kDesktopAreaMaxAge) {
      area_ = desktopArea();
      areaReadAt_ = now;
    }
    return area_;
  }
  RECT r{};
  if (window_ && GetWindowRect(window_, &r)) area_ = areaOf(r);
  return area_;
}

const uint32_t* WindowGrabber::grab(int x, int y, int w, int h) {
  if (!attached() || w <= 0 || h <= 0 || !sizeBitmap(w, h)) return nullptr;
  if (!blit(x, y, w, h) && !desktops_.retry([&] { return blit(x, y, w, h); })) return nullptr;
  if (GetDIBits(windowDc_.get().dc, bitmap_.get(), 0, UINT(h), pixels_.data(),
                reinterpret_cast<BITMAPINFO*>(&info_), DIB_RGB_COLORS) == 0)
    return nullptr;
  clearOutsideArea(x, y, w, h);
  return pixels_.data();
}

// The bitmap and buffer are kept while grabs keep their size (the tile size, mostly).
bool WindowGrabber::sizeBitmap(int w, int h) {
  if (bitmap_ && info_.header.biWidth == w && info_.header.biHeight == h) return true;
  brevan::win32::ScopedBitmap fresh(CreateCompatibleBitmap(windowDc_.get().dc, w, h));
  if (!fresh) return false;
  if (displaced_) {
    SelectObject(memoryDc_.get(), fresh.get());
  } else {
    displaced_ = brevan::win32::selectObject(memoryDc_.get(), fresh.get());
    if (!displaced_) return false;
  }
  bitmap_ = std::move(fresh);  // the replaced bitmap is no longer selected: deleted here
  info_.header.biWidth = w;
  info_.header.biHeight = h;  // positive: rows come bottom-up
  info_.header.biSizeImage = DWORD(w) * DWORD(h) * 4;
  pixels_.assign(size_t(w) * size_t(h), 0);
  return true;
}

bool WindowGrabber::blit(int x, int y, int w, int h) {
  return BitBlt(memoryDc_.get(), 0, 0, w, h, windowDc_.get().dc, x, y, SRCCOPY) != FALSE;
}

// Beyond the window's edges the window context yields whatever lay in the bitmap before (tiles
// at the right and bottom are grabbed whole), so those pixels are set to 0.
void WindowGrabber::clearOutsideArea(int x, int y, int w, int h) {
  const int left = std::clamp(-x, 0, w);                   // first column inside
  const int right = std::clamp(area_.width - x, left, w);  // first column past the area
  for (int row = 0; row < h; ++row) {
    uint32_t* line = &pixels_[size_t(row) * w];
    const int areaRow = y + h - 1 - row;
    if (areaRow < 0 || areaRow >= area_.height) {
      std::fill(line, line + w, 0u);
      continue;
    }
    std::fill(line, line + left, 0u);
    std::fill(line + right, line + w, 0u);
  }
}

std::unique_ptr<WindowGrabber> makeDesktopGrabber() {
  return std::make_unique<WindowGrabber>(nullptr, true);
}

std::unique_ptr<WindowGrabber> makeWindowGrabber(HWND window) {
  return std::make_unique<WindowGrabber>(window, false);
}

}  // namespace brevan::screensource::win32
