#include "win32/capture_object_win32.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <vector>

#include "frame_conversion.h"
#include "win32/capture_api_win32.h"
#include "win32/frame_request_win32.h"
#include "win32/owner_window_win32.h"

namespace brevan::camcapture::win32 {
namespace {

constexpr int kTestFrames = 10;
constexpr int kTestRows = 20;

struct FormatChoice {
  DWORD compression;
  WORD bits;
};
// Tried in this order when the driver's current format is not one the conversions read.
constexpr FormatChoice kFallbackFormats[] = {{kI420, 12}, {kUncompressed, 15}, {kUncompressed, 24}};

struct CaptureObject {
  std::unique_ptr<OwnerWindow> owner;
  bool connected = false;
  int width = 0;
  int height = 0;

  HWND capture() const { return owner ? owner->captureWindow() : nullptr; }
};

std::mutex objectMutex;                  // serialises every operation on the object
std::unique_ptr<CaptureObject> object;  // guarded by objectMutex
int capturesCreated = 0;                // guarded by objectMutex

// Uncompressed formats count only at the depths the conversions read.
bool converts(const BITMAPINFOHEADER& header) {
  return frameLayout(FrameKind::colour, {header.biCompression, header.biBitCount, 1, 1}).readable;
}

// Uncompressed pixels take whole bytes (15 bits are stored in 16); planar formats count bits.
DWORD imageSize(FormatChoice format, int width, int height) {
  const uint64_t pixels = uint64_t(width) * uint64_t(height);
  if (format.compression == kUncompressed) return DWORD(pixels * ((format.bits + 7u) / 8u));
  return DWORD(pixels * format.bits / 8u);
}

// The image size from the sides and depth alone: the driver's own figure may be 0 or padded,
// and means nothing once the depth has changed.
bool sendFormat(HWND capture, BITMAPINFOHEADER header, FormatChoice choice, int width, int height) {
  header.biCompression = choice.compression;
  header.biBitCount = choice.bits;
  header.biWidth = width;
  header.biHeight = height;
  header.biSizeImage = imageSize(choice, width, height);
  return sendCapture(capture, kSetVideoFormat, sizeof(header), reinterpret_cast<LPARAM>(&header)) != 0;
}

bool setSize(CaptureObject& capture, int width, int height) {
  if (width <= 0 || height <= 0) return false;
  BITMAPINFOHEADER header{};
  if (!readVideoFormat(capture.capture(), header)) return false;
  bool done = false;
  if (converts(header)) {
    done = (header.biWidth == width && std::abs(header.biHeight) == height) ||
           sendFormat(capture.capture(), header, {header.biCompression, header.biBitCount}, width, height);
  } else {
    for (const FormatChoice& choice : kFallbackFormats) {
      if ((done = sendFormat(capture.capture(), header, choice, width, height))) break;
    }
  }
  if (done) {
    capture.width = width;
    capture.height = height;
  }
  return done;
}

void fitCaptureWindow(CaptureObject& capture) {
  CaptureStatus status{};
  if (sendCapture(capture.capture(), kGetStatus, sizeof(status), reinterpret_cast<LPARAM>(&status))) {
    SetWindowPos(capture.capture(), nullptr, 0, 0, int(status.imageWidth), int(status.imageHeight),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void fitOwnerWindow(CaptureObject& capture, int width, int height) {
  const SIZE size = ownerWindowSize(width, height);
  SetWindowPos(capture.owner->window(), nullptr, 0, 0, size.cx, size.cy,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool grab(CaptureObject& capture, const GrabTarget& target) {
  if (target.data == nullptr || !capture.connected) return false;
  return grabFrame(capture.capture(), {target.kind, target.data, target.bytes}) ==
         GrabOutcome::converted;
}

// Passes when some pixel of the first rows differs from the first pixel. The buffer follows the
// format the driver reports, and only rows the frame has are looked at.
bool testFrame(CaptureObject& capture) {
  BITMAPINFOHEADER header{};
  if (!readVideoFormat(capture.capture(), header)) return false;
  const size_t width = size_t(std::abs(header.biWidth));
  const size_t height = size_t(std::abs(header.biHeight));
  if (width == 0 || height == 0 || width * height > (size_t(1) << 26)) return false;
  std::vector<uint32_t> pixels(width * height);
  const size_t looked = width * std::min<size_t>(kTestRows, height);
  for (int attempt = 0; attempt < kTestFrames; ++attempt) {
    pixels.assign(pixels.size(), 0);
    if (!grab(capture, {FrameKind::colour, pixels.data(), pixels.size() * 4})) continue;
    for (size_t i = 1; i < looked; ++i) {
      if (pixels[i] != pixels[0]) return true;
    }
  }
  return false;
}

// Disconnects and lets the owner thread destroy its windows and end.
void tearDown(std::unique_ptr<CaptureObject>& capture) {
  if (!capture) return;
  if (capture->connected) sendCapture(capture->capture(), kDriverDisconnect, 0, 0);
  capture->connected = false;
  capture.reset();
}

}  // namespace

bool constructCapture(int driver, int width, int height, bool show) {
  std::lock_guard<std::mutex> lock(objectMutex);
  tearDown(object);
  if (width <= 0 || height <= 0) return false;
  auto capture = std::make_unique<CaptureObject>();
  capture->owner = OwnerWindow::start({width, height, show, capturesCreated++});
  if (!capture->owner || capture->capture() == nullptr) return false;  // tears down in ~OwnerWindow
  capture->connected = sendCapture(capture->capture(), kDriverConnect, WPARAM(driver), 0) != 0;
  bool ready = false;
  if (capture->connected && setSize(*capture, width, height)) {
    sendCapture(capture->capture(), kSetCallbackFrame, 0, reinterpret_cast<LPARAM>(&onFrame));
    ready = testFrame(*capture);
  }
  if (!ready) {
    tearDown(capture);
    return false;
  }
  object = std::move(capture);
  return true;
}

bool grabCurrent(const GrabTarget& target) {
  std::lock_guard<std::mutex> lock(objectMutex);
  return object && grab(*object, target);
}

bool grabSized(const GrabTarget& target, int width, int height) {
  std::lock_guard<std::mutex> lock(objectMutex);
  if (!object || !object->connected) return false;
  const int oldWidth = object->width, oldHeight = object->height;
  bool sized = true;
  if (width != oldWidth || height != oldHeight) {
    sized = setSize(*object, width, height);
    if (sized) fitCaptureWindow(*object);
  }
  const bool grabbed = grab(*object, target);
  if (object->width != oldWidth || object->height != oldHeight) {
    setSize(*object, oldWidth, oldHeight);
    fitCaptureWindow(*object);
  }
  return sized && grabbed;
}

bool resizeCapture(int width, int height, bool resizeWindow) {
  std::lock_guard<std::mutex> lock(objectMutex);
  if (!object || !object->connected || !setSize(*object, width, height)) return false;
  fitCaptureWindow(*object);
  if (resizeWindow) fitOwnerWindow(*object, width, height);
  return true;
}

void showCaptureWindow(bool show) {
  std::lock_guard<std::mutex> lock(objectMutex);
  if (object && object->owner->window() != nullptr)
    ShowWindow(object->owner->window(), show ? SW_SHOWNORMAL : SW_HIDE);
}

int disconnectCapture() {
  std::lock_guard<std::mutex> lock(objectMutex);
  if (!object) return 0;
  sendCapture(object->capture(), kDriverDisconnect, 0, 0);
  object->connected = false;
  return object->owner->destroyCaptureWindow() ? 1 : 0;
}

void closeCapture() {
  std::lock_guard<std::mutex> lock(objectMutex);
  tearDown(object);
}

}  // namespace brevan::camcapture::win32
