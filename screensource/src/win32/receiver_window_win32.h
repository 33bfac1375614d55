// The hidden window "Message Receiver" on a thread of its own, to which the hooks of every
// process post their reports.
#pragma once

#include <windows.h>

#include <memory>

#include "winhelpers/handles.h"

namespace brevan::screensource::win32 {

class ReceiverWindow {
 public:
  // Starts the thread and returns once its window exists, or could not be made (window() is
  // then null and the thread has ended).
  static std::unique_ptr<ReceiverWindow> start(HINSTANCE instance);
  ~ReceiverWindow();
  ReceiverWindow(const ReceiverWindow&) = delete;
  ReceiverWindow& operator=(const ReceiverWindow&) = delete;

  HWND window() const { return window_; }
  // Asks the window to close its thread and waits up to limitMs for the thread to end; false
  // when it has not. The thread never touches this object after start() returned.
  bool stop(DWORD limitMs);

 private:
  explicit ReceiverWindow(HINSTANCE instance) : instance_(instance) {}
  static DWORD WINAPI run(void* self);

  HINSTANCE instance_;
  HWND window_ = nullptr;
  brevan::win32::ScopedHandle ready_;
  brevan::win32::ScopedHandle thread_;
};

}  // namespace brevan::screensource::win32
