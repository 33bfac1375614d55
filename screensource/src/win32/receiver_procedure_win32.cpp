#include "win32/receiver_procedure_win32.h"

#include "report_messages.h"
#include "win32/hook_shared_data_win32.h"
#include "win32/report_target_win32.h"

namespace brevan::screensource::win32 {

namespace {

bool isReport(UINT message, ReportMessage report) {
  const UINT id = hookShared().messageIds[report];
  return id != 0 && message == id;
}

void addScreenRect(const RECT& r) {
  reportTarget().deliver(
      [&](UpdateSource& source) { source.addScreenRect(r.left, r.top, r.right, r.bottom); });
}

// Reports about windows that are gone, hidden or minimized give no event.
bool isShowing(HWND window) {
  return IsWindow(window) && IsWindowVisible(window) && !IsIconic(window);
}

bool clientRectOnScreen(HWND window, RECT& r) {
  POINT origin{0, 0};
  if (!GetClientRect(window, &r) || !ClientToScreen(window, &origin)) return false;
  OffsetRect(&r, origin.x, origin.y);
  return true;
}

// The area a window message names; false when it cannot be read.
bool reportedArea(UINT message, HWND window, RECT& r) {
  if (isReport(message, kClientReport)) return clientRectOnScreen(window, r);
  return GetWindowRect(window, &r) != FALSE;
}

bool isWindowReport(UINT message) {
  return isReport(message, kAllReport) || isReport(message, kClientReport) ||
         isReport(message, kNonclientReport);
}

// True when the message was a report that needs no ordinary handling.
bool handleReport(UINT message, WPARAM wParam, LPARAM lParam) {
  if (isReport(message, kCursorReport)) {
    const CursorPoint p = decodeCursorMessage(static_cast<uint32_t>(lParam));
    reportTarget().deliver([&](UpdateSource& source) {
      source.queue().queueEvent({kCursorMovedEvent, p.x, p.y, 0, 0});
    });
    return true;
  }
  if (isReport(message, kRectangleReport)) {
    const PixelRect p =
        decodeRectangleMessage(static_cast<uint32_t>(wParam), static_cast<uint32_t>(lParam));
    addScreenRect({p.left, p.top, p.right, p.bottom});
    return true;
  }
  if (isReport(message, kMoveReport)) return true;
  if (!isWindowReport(message)) return false;
  const HWND window = reinterpret_cast<HWND>(lParam);
  if (!isShowing(window)) return false;
  RECT r;
  if (reportedArea(message, window, r)) addScreenRect(r);
  return true;
}

void paintNothing(HWND window) {
  PAINTSTRUCT paint;
  BeginPaint(window, &paint);
  ValidateRect(window, nullptr);
  EndPaint(window, &paint);
}

}  // namespace

LRESULT CALLBACK receiverProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (handleReport(message, wParam, lParam)) return 0;
  switch (message) {
    case WM_CREATE:
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_PAINT:
      paintNothing(window);
      return 0;
    case WM_CLOSE:
      ShowWindow(window, SW_HIDE);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace brevan::screensource::win32
