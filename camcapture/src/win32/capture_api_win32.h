// The Video for Windows capture interface as this library uses it: the two functions of
// "avicap32.dll", bound at run time so the library loads where the system has no capture
// support, and the capture-window messages with the structures they carry.
#pragma once

#include <windows.h>

#include <cstddef>

namespace brevan::camcapture::win32 {

// Capture-window messages (WM_USER based).
constexpr UINT kSetCallbackFrame = WM_USER + 0x05;
constexpr UINT kDriverConnect = WM_USER + 0x0A;
constexpr UINT kDriverDisconnect = WM_USER + 0x0B;
constexpr UINT kGetVideoFormat = WM_USER + 0x2C;
constexpr UINT kSetVideoFormat = WM_USER + 0x2D;
constexpr UINT kGetStatus = WM_USER + 0x36;
constexpr UINT kGrabFrame = WM_USER + 0x3C;

// What the frame callback receives for one frame.
struct FrameHeader {
  BYTE* data;
  DWORD bufferLength;
  DWORD bytesUsed;
  DWORD timeCaptured;
  DWORD_PTR user;
  DWORD flags;
  DWORD_PTR reserved[4];
};

// The status block of kGetStatus; only the image size is read here.
struct CaptureStatus {
  UINT imageWidth;
  UINT imageHeight;
  BOOL liveWindow;
  BOOL overlayWindow;
  BOOL scale;
  POINT scroll;
  BOOL usingDefaultPalette;
  BOOL audioHardware;
  BOOL captureFileExists;
  DWORD currentVideoFrame;
  DWORD currentVideoFramesDropped;
  DWORD currentWaveSamples;
  DWORD currentTimeElapsedMs;
  HPALETTE currentPalette;
  BOOL capturingNow;
  DWORD lastError;
  UINT videoBuffersAllocated;
  UINT audioBuffersAllocated;
};
#if !defined(_WIN64)
static_assert(sizeof(CaptureStatus) == 76, "the 32-bit status block is 76 bytes");
#endif

using FrameCallback = LRESULT(CALLBACK*)(HWND window, FrameHeader* frame);
using GetDriverDescription = BOOL(WINAPI*)(UINT index, LPSTR name, int nameLength, LPSTR version,
                                           int versionLength);
using CreateCaptureWindow = HWND(WINAPI*)(LPCSTR title, DWORD style, int x, int y, int width,
                                          int height, HWND parent, int id);

// The two functions, or null when "avicap32.dll" or its export is missing. Loaded once per
// process and kept.
struct CaptureApi {
  GetDriverDescription getDriverDescription = nullptr;
  CreateCaptureWindow createCaptureWindow = nullptr;
};
const CaptureApi& captureApi();

// A driver's description, or false when the index has no driver (256-byte buffers).
bool driverDescription(int index, char (&name)[256]);

}  // namespace brevan::camcapture::win32
