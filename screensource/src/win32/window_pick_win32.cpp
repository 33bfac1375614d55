// The interactive pick: every 200 ms the titled top-level window under the pointer is
// highlighted with a blinking XOR frame, until the user's click shows which one is meant.
#include <windows.h>

#include <memory>
#include <mutex>

#include "win32/found_window_win32.h"
#include "win32/window_selection_win32.h"
#include "win32/window_title_win32.h"
#include "winhelpers/gdi.h"

namespace brevan::screensource::win32 {

namespace {

constexpr UINT kTickMs = 200;
constexpr int kMaxClimb = 4;
constexpr int kFrameInset = 3;
constexpr COLORREF kFrameGrey = 0x808080;

HWND parentOf(HWND window) {
  return (GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD) ? GetParent(window) : nullptr;
}

// Climbs from the window under the pointer towards its titled top-level window; none when the
// window reached has no title.
HWND titledWindowUnderPointer() {
  POINT at{};
  if (!GetCursorPos(&at)) return nullptr;
  HWND window = WindowFromPoint(at);
  for (int climbed = 0; window; ++climbed) {
    const bool titled = !windowTitle(window).empty();
    HWND parent = parentOf(window);
    if (!parent || climbed == kMaxClimb) return titled ? window : nullptr;
    window = parent;
  }
  return nullptr;
}

bool leftButtonDown() { return (GetAsyncKeyState(VK_LBUTTON) & 0x8000) != 0; }

class Pick {
 public:
  Pick()
      : pen_(CreatePen(PS_SOLID, 2, kFrameGrey)),
        focus_(GetFocus()),
        foreground_(GetForegroundWindow()),
        buttonWasDown_(leftButtonDown()),
        start_(GetTickCount()) {}
  ~Pick() { erase(); }

  // One timer tick; true when the pick has ended (the chosen window is then set).
  bool tick() {
    HWND candidate = titledWindowUnderPointer();
    if (candidate != highlighted_) erase();
    highlighted_ = candidate;
    if (candidate) toggle();
    if (GetTickCount() - start_ >= kPickGiveUpMs) return true;
    if (!userChose()) return false;
    setFoundWindow(candidate);
    return true;
  }

 private:
  // A click elsewhere moves the focus or the foreground; a press of the button counts once it
  // was seen up (the pick may start while the button that asked for it is still held).
  bool userChose() {
    const bool down = leftButtonDown();
    const bool pressed = down && !buttonWasDown_;
    buttonWasDown_ = down;
    return pressed || GetFocus() != focus_ || GetForegroundWindow() != foreground_;
  }

  void toggle() {
    if (drawn_) {
      erase();
      return;
    }
    if (!GetWindowRect(highlighted_, &frame_)) return;
    InflateRect(&frame_, -kFrameInset, -kFrameInset);
    drawFrame(frame_);
    drawn_ = true;
  }

  // Drawing the same frame again restores the screen, so the erase uses the rectangle drawn,
  // wherever the window is now.
  void erase() {
    if (!drawn_) return;
    drawFrame(frame_);
    drawn_ = false;
  }

  void drawFrame(const RECT& r) {
    auto screen = brevan::win32::windowDc(nullptr);
    if (!screen || !pen_) return;
    HDC dc = screen.get().dc;
    auto pen = brevan::win32::selectObject(dc, pen_.get());
    const int mode = SetROP2(dc, R2_XORPEN);
    const POINT corners[] = {{r.left, r.top},
                             {r.right, r.top},
                             {r.right, r.bottom},
                             {r.left, r.bottom},
                             {r.left, r.top}};
    MoveToEx(dc, corners[0].x, corners[0].y, nullptr);
    for (int i = 1; i < 5; ++i) LineTo(dc, corners[i].x, corners[i].y);
    SetROP2(dc, mode);
  }

  brevan::win32::ScopedGdiObject pen_;
  HWND focus_;
  HWND foreground_;
  bool buttonWasDown_;
  DWORD start_;
  HWND highlighted_ = nullptr;
  bool drawn_ = false;
  RECT frame_{};
};

std::mutex pickLock;
std::unique_ptr<Pick> running;  // guarded by pickLock
UINT_PTR timerId = 0;           // guarded by pickLock

void CALLBACK onTick(HWND, UINT, UINT_PTR id, DWORD) {
  std::lock_guard<std::mutex> hold(pickLock);
  if (id != timerId || !running || !running->tick()) return;
  KillTimer(nullptr, timerId);
  timerId = 0;
  running.reset();  // erases the highlight and frees the pen
}

}  // namespace

HWND startPick() {
  const HWND previous = foundWindow();
  std::lock_guard<std::mutex> hold(pickLock);
  if (running) return previous;
  auto pick = std::make_unique<Pick>();
  timerId = SetTimer(nullptr, 0, kTickMs, onTick);
  if (timerId) running = std::move(pick);
  return previous;
}

bool pickRunning() {
  std::lock_guard<std::mutex> hold(pickLock);
  return running != nullptr;
}

}  // namespace brevan::screensource::win32
