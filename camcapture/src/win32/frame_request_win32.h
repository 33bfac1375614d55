// The frame request handed from the grabbing thread to the frame callback on the owner thread.
// A request that has timed out is withdrawn under the same lock the callback converts under, so
// a late callback can no longer write into the caller's array.
#pragma once

#include <windows.h>

#include <cstddef>

#include "frame_format.h"
#include "win32/capture_api_win32.h"

namespace brevan::camcapture::win32 {

struct FrameDestination {
  FrameKind kind;
  void* data;
  size_t bytes;  // capacity
};

enum class GrabOutcome { converted, notConverted, noFrame };

// Sends kGrabFrame to the capture window and waits, bounded, for the callback. The destination
// is written only while the request stands.
GrabOutcome grabFrame(HWND captureWindow, const FrameDestination& destination);

// The callback the capture window calls with each frame (set with kSetCallbackFrame).
LRESULT CALLBACK onFrame(HWND captureWindow, FrameHeader* frame);

// The current format of the capture window: its bitmap header, or false when the window gives
// less than a header.
bool readVideoFormat(HWND captureWindow, BITMAPINFOHEADER& header);

// Sends a capture message while the window exists, bounded in time; 0 otherwise (also when the
// window's thread does not answer within the limit).
constexpr DWORD kMessageLimitMs = 10000;  // a driver may take seconds to connect
LRESULT sendCapture(HWND captureWindow, UINT message, WPARAM wParam, LPARAM lParam,
                    DWORD limitMs = kMessageLimitMs);

}  // namespace brevan::camcapture::win32
