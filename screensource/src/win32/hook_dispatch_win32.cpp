#include "win32/hook_dispatch_win32.h"

#include "win32/hook_reports_win32.h"

namespace brevan::screensource::win32 {

namespace {

bool isThumbTrackOrEnd(WPARAM wParam) {
  const WORD request = LOWORD(wParam);
  return request == SB_THUMBTRACK || request == SB_ENDSCROLL;
}

}  // namespace

void dispatchHookedMessage(UINT message, HWND window, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_DESTROY:
    case WM_DRAWITEM:
    case WM_WINDOWPOSCHANGING:
      reportWindowRectangle(window);
      break;
    case WM_SETFOCUS:
    case WM_ENABLE:
    case WM_SETTEXT:
    case WM_SYSCOLORCHANGE:
    case EM_SETSEL:
    case BM_SETCHECK:
    case BM_SETSTATE:
    case WM_KEYUP:
    case WM_CHAR:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
    case WM_MOUSEWHEEL:
    case WM_PALETTECHANGED:
      reportWindow(kClientReport, window);
      break;
    case WM_PAINT:
      reportUpdateRegion(window);
      break;
    case WM_NCPAINT:
    case WM_NCACTIVATE:
      reportWindow(kNonclientReport, window);
      break;
    case WM_NCMOUSEMOVE:
    case WM_MOUSEMOVE:
      reportCursor();
      break;
    case WM_HSCROLL:
    case WM_VSCROLL:
      if (isThumbTrackOrEnd(wParam)) reportWindow(kAllReport, window);
      break;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
      reportWindowRectangle(reinterpret_cast<HWND>(lParam));
      break;
    case kPopupSelectionMessage:
      reportPopupSelection(window, wParam);
      break;
    default:
      break;
  }
}

}  // namespace brevan::screensource::win32
