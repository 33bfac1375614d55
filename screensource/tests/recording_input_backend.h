// An input backend that plays a small desktop session and records, one line a call, what the
// injector did to it: keys, mouse events, cursor moves, broadcasts, desktop changes, debug text.
#pragma once

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "input_backend.h"

namespace brevan::screensource::test {

class RecordingInputBackend : public InputBackend {
 public:
  static constexpr int kScreenWidth = 1024;
  static constexpr int kScreenHeight = 768;

  RecordingInputBackend() { thread = open(inputDesktop); }

  // The local user's hand on the mouse: moves the cursor without a record.
  void moveLocally(int dx, int dy) { cursor = clip({cursor.x + dx, cursor.y + dy}); }
  void putThreadOn(const std::string& name) { thread = open(name); }
  std::string threadDesktopName() { return names[thread]; }

  void injectKey(uint8_t virtualKey, uint32_t flags) override {
    record("key 0x%02x %u", virtualKey, flags);
  }
  void injectMouse(uint32_t flags, int32_t wheelData) override {
    record("mouse 0x%x %d", flags, wheelData);
  }
  void setCursorPosition(CursorPosition position) override {
    cursor = clip(position);
    record("cursor %d %d", position.x, position.y);
  }
  std::optional<CursorPosition> cursorPosition() override { return cursor; }
  uint16_t keyState(uint8_t virtualKey) override { return keyStates[virtualKey]; }

  uint64_t nowMs() override { return clockMs; }
  void sleepMs(unsigned ms) override {
    clockMs += ms;
    ++sleeps;
    if (onSleep) onSleep(sleeps);
  }

  bool onInputDesktop() override { return names[thread] == inputDesktop; }
  DesktopHandle openDesktop(const char* name) override {
    const std::string wanted = name ? name : inputDesktop;
    return unopenable.count(wanted) ? kNoDesktop : open(wanted);
  }
  DesktopHandle threadDesktop() override { return thread; }
  bool setThreadDesktop(DesktopHandle desktop) override {
    if (failSetThreadDesktop) return false;
    thread = desktop;
    record("set %s", names[desktop].c_str());
    return true;
  }
  bool closeDesktop(DesktopHandle desktop) override {
    record("close %s", names[desktop].c_str());
    return !failClose;
  }

  void broadcast(uint32_t message, uintptr_t wParam, intptr_t lParam) override {
    record("broadcast 0x%x %u 0x%lx", message, static_cast<unsigned>(wParam),
           static_cast<long>(lParam));
  }
  void debugOutput(const char* text) override { record("debug %s", text); }

  // The session.
  std::string inputDesktop = "Default";
  std::set<std::string> unopenable;
  bool failSetThreadDesktop = false;
  bool failClose = false;
  CursorPosition cursor{0, 0};
  std::map<uint8_t, uint16_t> keyStates;
  uint64_t clockMs = 100000;
  int sleeps = 0;
  std::function<void(int sleeps)> onSleep;

  std::vector<std::string> calls;

 private:
  template <class... Args>
  void record(const char* format, Args... args) {
    char line[160];
    std::snprintf(line, sizeof line, format, args...);
    calls.push_back(line);
  }
  DesktopHandle open(const std::string& name) {
    names[++lastHandle] = name;
    return lastHandle;
  }
  static CursorPosition clip(CursorPosition p) {
    return {std::clamp(p.x, 0, kScreenWidth - 1), std::clamp(p.y, 0, kScreenHeight - 1)};
  }

  std::map<DesktopHandle, std::string> names;
  DesktopHandle lastHandle = 0;
  DesktopHandle thread = kNoDesktop;
};

}  // namespace brevan::screensource::test
