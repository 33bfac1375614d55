#include "win32/input_backend_win32.h"

#include <windows.h>

#include <cstring>

namespace brevan::screensource::win32 {

namespace {

// Read and write objects, enumerate, create windows and menus, hooks, journal record and
// playback, switch: what injecting into a desktop needs.
constexpr ACCESS_MASK kDesktopAccess = 0x400001CF;

HDESK asDesktop(DesktopHandle handle) { return reinterpret_cast<HDESK>(handle); }
DesktopHandle asHandle(HDESK desktop) { return reinterpret_cast<DesktopHandle>(desktop); }

bool desktopName(HDESK desktop, char (&name)[256]) {
  DWORD needed = 0;
  return GetUserObjectInformationA(desktop, UOI_NAME, name, sizeof name, &needed) != FALSE;
}

class SystemInputBackend : public InputBackend {
 public:
  void injectKey(uint8_t virtualKey, uint32_t flags) override {
    keybd_event(virtualKey, 0, flags, 0);
  }
  void injectMouse(uint32_t flags, int32_t wheelData) override {
    mouse_event(flags, 0, 0, static_cast<DWORD>(wheelData), 0);
  }
  void setCursorPosition(CursorPosition position) override { SetCursorPos(position.x, position.y); }
  std::optional<CursorPosition> cursorPosition() override {
    POINT at{};
    if (!GetCursorPos(&at)) return std::nullopt;
    return CursorPosition{int(at.x), int(at.y)};
  }
  uint16_t keyState(uint8_t virtualKey) override {
    return static_cast<uint16_t>(GetKeyState(virtualKey));
  }
  uint64_t nowMs() override { return GetTickCount64(); }
  void sleepMs(unsigned ms) override { Sleep(ms); }

  // Compares the names of the thread's desktop and the input desktop.
  bool onInputDesktop() override {
    HDESK input = OpenInputDesktop(0, FALSE, kDesktopAccess);
    if (!input) return false;
    char inputName[256] = {}, ownName[256] = {};
    const bool named = desktopName(GetThreadDesktop(GetCurrentThreadId()), ownName) &&
                       desktopName(input, inputName);
    if (!CloseDesktop(input)) OutputDebugStringA("failed to close input desktop\n");
    return named && std::strcmp(ownName, inputName) == 0;
  }
  DesktopHandle openDesktop(const char* name) override {
    return asHandle(name ? OpenDesktopA(name, 0, FALSE, kDesktopAccess)
                         : OpenInputDesktop(0, FALSE, kDesktopAccess));
  }
  DesktopHandle threadDesktop() override {
    return asHandle(GetThreadDesktop(GetCurrentThreadId()));
  }
  bool setThreadDesktop(DesktopHandle desktop) override {
    return SetThreadDesktop(asDesktop(desktop)) != FALSE;
  }
  bool closeDesktop(DesktopHandle desktop) override {
    return CloseDesktop(asDesktop(desktop)) != FALSE;
  }
  void broadcast(uint32_t message, uintptr_t wParam, intptr_t lParam) override {
    PostMessageA(HWND_BROADCAST, message, wParam, lParam);
  }
  void debugOutput(const char* text) override { OutputDebugStringA(text); }
};

}  // namespace

InputBackend& systemInputBackend() {
  static SystemInputBackend backend;
  return backend;
}

}  // namespace brevan::screensource::win32
