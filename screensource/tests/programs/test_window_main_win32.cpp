// Test program: shows the windows of test_window_layout.h, titled with the tag given as the
// first argument; once they are painted it writes "cursor <handle of its class cursor>",
// "busy <handle of the busy cursor>" and "ready" into the file given as the second, and runs
// until it is ended. kShowBusyCursor switches its windows' cursor to the busy one (wParam 1) or
// back (wParam 0) without the pointer moving.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "test_window_layout.h"

namespace {

using namespace brevan::screensource::test;

COLORREF colourRef(uint32_t pixel) {
  return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
}

void fill(HDC dc, const RECT& r, uint32_t pixel) {
  HBRUSH brush = CreateSolidBrush(colourRef(pixel));
  FillRect(dc, &r, brush);
  DeleteObject(brush);
}

HCURSOR classCursor() { return LoadCursor(nullptr, IDC_CROSS); }
HCURSOR busyCursor() { return LoadCursor(nullptr, IDC_WAIT); }

LRESULT CALLBACK paintWindow(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == kShowBusyCursor) {
    HCURSOR shown = w ? busyCursor() : classCursor();
    SetClassLongPtrW(window, GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(shown));
    SetCursor(shown);
    return 0;
  }
  if (message != WM_PAINT) return DefWindowProcW(window, message, w, l);
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  RECT all;
  GetClientRect(window, &all);
  const bool child = (GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD) != 0;
  const bool backdrop = GetWindowTextLengthW(window) == 0;
  fill(dc, all, backdrop ? kBackdropColour : child ? kChildColour : kWindowColour);
  if (!child && !backdrop) fill(dc, RECT{0, 0, kBlockRight, kBlockBottom}, kBlockColour);
  EndPaint(window, &paint);
  return 0;
}

std::wstring widen(const char* text) { return std::wstring(text, text + strlen(text)); }

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = paintWindow;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hCursor = classCursor();
  windowClass.lpszClassName = L"BrevanCaptureTest";
  if (!RegisterClassW(&windowClass)) return 3;
  const std::wstring tag = widen(argv[1]);
  HWND backdrop = CreateWindowExW(WS_EX_TOPMOST, windowClass.lpszClassName, L"",
                                  WS_POPUP | WS_VISIBLE, 0, 0, kBackdropRight, kBackdropBottom,
                                  nullptr, nullptr, windowClass.hInstance, nullptr);
  HWND top =
      CreateWindowExW(WS_EX_TOPMOST, windowClass.lpszClassName, (windowTitlePrefix() + tag).c_str(),
                      WS_POPUP, kWindowLeft, kWindowTop, kWindowWidth, kWindowHeight, nullptr,
                      nullptr, windowClass.hInstance, nullptr);
  HWND child = CreateWindowExW(0, windowClass.lpszClassName, (childTitlePrefix() + tag).c_str(),
                               WS_CHILD | WS_VISIBLE, kChildLeft, kChildTop, kChildWidth,
                               kChildHeight, top, nullptr, windowClass.hInstance, nullptr);
  if (!backdrop || !top || !child) return 4;
  ShowWindow(top, SW_SHOW);
  UpdateWindow(top);
  GdiFlush();
  FILE* report = std::fopen(argv[2], "w");
  if (!report) return 5;
  auto number = [](HCURSOR c) {
    return static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(c));
  };
  std::fprintf(report, "cursor %llu\nbusy %llu\nready\n", number(windowClass.hCursor),
               number(busyCursor()));
  std::fclose(report);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
  return 0;
}
