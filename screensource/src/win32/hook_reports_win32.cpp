#include "win32/hook_reports_win32.h"

#include "report_messages.h"
#include "win32/hook_dispatch_win32.h"
#include "win32/library_module_win32.h"
#include "winhelpers/gdi.h"

namespace brevan::screensource::win32 {

namespace {

using ScopedRegion = brevan::win32::Scoped<brevan::win32::GdiObjectTraits<HRGN>>;

constexpr DWORD kCursorReportInterval = 100;  // ms
constexpr LONG kCursorLimit = 10000;
// Update regions of up to this many rectangles are read on the stack; a hook in a foreign
// process does not allocate, so a larger region is reported by its bounding box.
constexpr int kRegionRects = 64;

void postRectangle(const RECT& r) {
  const ReportParams params = encodeRectangleMessage(r.left, r.top, r.right, r.bottom);
  postReport(kRectangleReport, params.wParam, params.lParam);
}

RECT offsetBy(RECT r, POINT origin) {
  OffsetRect(&r, origin.x, origin.y);
  return r;
}

void postRegionRectangles(HRGN region, POINT origin) {
  union {
    RGNDATA data;
    char bytes[sizeof(RGNDATAHEADER) + kRegionRects * sizeof(RECT)];
  } buffer;
  const DWORD size = GetRegionData(region, 0, nullptr);
  if (size == 0) return;
  if (size > sizeof(buffer) || !GetRegionData(region, size, &buffer.data)) {
    RECT box;
    if (GetRgnBox(region, &box) != ERROR) postRectangle(offsetBy(box, origin));
    return;
  }
  const RECT* rects = reinterpret_cast<const RECT*>(buffer.data.Buffer);
  for (DWORD i = 0; i < buffer.data.rdh.nCount; ++i) postRectangle(offsetBy(rects[i], origin));
}

// True for the one caller that takes the report slot of this interval. The tick count is one
// clock for all processes; each process's clock() counts from its own start, and comparing
// those would silence every process younger than the last reporter.
bool claimCursorReport() {
  volatile LONG* last = &hookShared().lastCursorReport;
  const LONG previous = *last;
  const LONG now = static_cast<LONG>(GetTickCount());
  if (static_cast<DWORD>(now) - static_cast<DWORD>(previous) <= kCursorReportInterval) {
    return false;
  }
  return InterlockedCompareExchange(last, now, previous) == previous;
}

// The property named by an atom rather than by a text.
LPCSTR atomName(ATOM atom) { return reinterpret_cast<LPCSTR>(static_cast<ULONG_PTR>(atom)); }

}  // namespace

void reportWindowRectangle(HWND window) {
  RECT r;
  if (window && GetWindowRect(window, &r)) postRectangle(r);
}

void reportWindow(ReportMessage message, HWND window) {
  if (window) postReport(message, 0, reinterpret_cast<LPARAM>(window));
}

void reportUpdateRegion(HWND window) {
  ScopedRegion region(CreateRectRgn(0, 0, 0, 0));
  if (!region || GetUpdateRgn(window, region.get(), FALSE) == ERROR) return;
  POINT origin{0, 0};
  if (!ClientToScreen(window, &origin)) return;
  postRegionRectangles(region.get(), origin);
}

void reportCursor() {
  POINT p;
  if (!GetCursorPos(&p) || p.x >= kCursorLimit || p.y >= kCursorLimit) return;
  if (claimCursorReport()) postReport(kCursorReport, 0, encodeCursorMessage(p.x, p.y));
}

void reportPopupSelection(HWND window, WPARAM selection) {
  const ATOM atom = popupSelectionAtom();
  if (!window || !atom) return;
  const HANDLE current = reinterpret_cast<HANDLE>(selection);
  if (GetPropA(window, atomName(atom)) == current) return;
  reportWindow(kAllReport, window);
  postToReceiver(kPopupSelectionMessage, 0, reinterpret_cast<LPARAM>(window));
  SetPropA(window, atomName(atom), current);
}

}  // namespace brevan::screensource::win32
