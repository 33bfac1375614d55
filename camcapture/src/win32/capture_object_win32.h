// The one capture object of the process and what the Java methods do with it. Every operation
// takes one lock, so construction, grabs, resize, disconnect and close never overlap.
#pragma once

#include <cstddef>

#include "frame_format.h"

namespace brevan::camcapture::win32 {

struct GrabTarget {
  FrameKind kind;
  void* data;    // null gives false
  size_t bytes;  // the array's capacity in bytes
};

// Closes an existing object first; true when the driver connected, the size was set and a test
// frame was not blank. A failed construction leaves no object, thread or window behind.
bool constructCapture(int driver, int width, int height, bool show);
// Grab at the current size; true once a frame was converted into the target.
bool grabCurrent(const GrabTarget& target);
// Grab at (width, height), the current size restored afterwards; true only when the size could
// be set and the frame was converted.
bool grabSized(const GrabTarget& target, int width, int height);
bool resizeCapture(int width, int height, bool resizeWindow);
void showCaptureWindow(bool show);
// 1 when the capture window is gone, 0 when there is no object or it could not be destroyed.
int disconnectCapture();
void closeCapture();

}  // namespace brevan::camcapture::win32
