// The "Video Output" window and the thread that owns and pumps it. The capture window is its
// child, so the frame callback runs on this thread; windows of this thread are destroyed by it,
// on request from the caller's thread.
#pragma once

#include <windows.h>

#include <memory>

#include "winhelpers/handles.h"

namespace brevan::camcapture::win32 {

struct OwnerWindowRequest {
  int clientWidth = 0;
  int clientHeight = 0;
  bool show = false;
  int captureId = 0;  // the capture window's id
};

class OwnerWindow {
 public:
  // Starts the thread and waits (bounded) until it has made both windows or given up. Null when
  // the thread could not be started or did not report in time.
  static std::unique_ptr<OwnerWindow> start(const OwnerWindowRequest& request);
  // Ends the thread (it destroys its windows) and waits for it, bounded.
  ~OwnerWindow();
  OwnerWindow(const OwnerWindow&) = delete;
  OwnerWindow& operator=(const OwnerWindow&) = delete;

  HWND window() const;
  HWND captureWindow() const;
  // The owner thread destroys the capture window; true when it is gone.
  bool destroyCaptureWindow();
  // True when the thread has ended within the limit.
  bool close();

  struct Shared;

 private:
  explicit OwnerWindow(std::shared_ptr<Shared> shared);

  std::shared_ptr<Shared> shared_;
  brevan::win32::ScopedHandle thread_;
  DWORD threadId_ = 0;
};

// Outer size of the "Video Output" window for a client size (frame and caption added).
SIZE ownerWindowSize(int clientWidth, int clientHeight);

}  // namespace brevan::camcapture::win32
