#include "scripted_windows_win32.h"

#include <thread>

namespace brevan::screensource::demo {

namespace {

constexpr wchar_t kClass[] = L"BrevanDemoWindow";
constexpr int kMoverWidth = 320, kMoverHeight = 200;
constexpr int kBarWidth = 360, kBarHeight = 120;

// The bar window's fill, 0 .. 100 percent, kept in its user data.
LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_PAINT) return DefWindowProcW(window, message, wParam, lParam);
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  RECT client;
  GetClientRect(window, &client);
  const LONG_PTR fill = GetWindowLongPtrW(window, GWLP_USERDATA);
  for (int y = 0; y < client.bottom; y += 8) {
    HBRUSH stripe = CreateSolidBrush(RGB(40 + y % 160, 90, 200 - y % 120));
    RECT band{0, y, client.right, y + 8};
    FillRect(dc, &band, stripe);
    DeleteObject(stripe);
  }
  if (fill > 0) {
    HBRUSH bar = CreateSolidBrush(RGB(240, 200, 40));
    RECT done{10, client.bottom / 2 - 10, 10 + LONG((client.right - 20) * fill / 100),
              client.bottom / 2 + 10};
    FillRect(dc, &done, bar);
    DeleteObject(bar);
  }
  EndPaint(window, &paint);
  return 0;
}

HWND openWindow(const wchar_t* title, int left, int top, int width, int height) {
  HWND window =
      CreateWindowExW(WS_EX_TOPMOST, kClass, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, left, top,
                      width, height, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  UpdateWindow(window);
  return window;
}

Rect rectOf(HWND window) {
  RECT r;
  GetWindowRect(window, &r);
  return {r.left, r.top, r.right, r.bottom};
}

void pumpFor(int ms) {
  const DWORD until = GetTickCount() + DWORD(ms);
  MSG message;
  do {
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    Sleep(5);
  } while (GetTickCount() < until);
}

void runScene(int steps, int stepMs, const std::function<void(const Rect&)>& report) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = windowProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = kClass;
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  RegisterClassW(&windowClass);
  HWND mover = openWindow(L"Brevan demo: moving", 60, 80, kMoverWidth, kMoverHeight);
  HWND bar = openWindow(L"Brevan demo: progress", 520, 420, kBarWidth, kBarHeight);
  report(rectOf(mover));
  report(rectOf(bar));
  pumpFor(stepMs);
  for (int step = 1; step <= steps; ++step) {
    const Rect before = rectOf(mover);
    SetWindowPos(mover, nullptr, 60 + 16 * step, 80 + 8 * step, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowLongPtrW(bar, GWLP_USERDATA, step * 100 / steps);
    InvalidateRect(bar, nullptr, FALSE);
    SetCursorPos(200 + 12 * step, 300 + (step % 10) * 6);
    pumpFor(stepMs);
    report(before);
    report(rectOf(mover));
    report(rectOf(bar));
  }
  const Rect last[] = {rectOf(mover), rectOf(bar)};
  DestroyWindow(mover);
  DestroyWindow(bar);
  pumpFor(stepMs);
  for (const Rect& r : last) report(r);
}

}  // namespace

void playScene(int steps, int stepMs, const std::function<void(const Rect&)>& report) {
  std::thread scene(runScene, steps, stepMs, std::cref(report));
  scene.join();
}

}  // namespace brevan::screensource::demo
