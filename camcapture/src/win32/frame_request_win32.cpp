#include "win32/frame_request_win32.h"

#include <cstring>
#include <mutex>
#include <vector>

#include "frame_conversion.h"

namespace brevan::camcapture::win32 {
namespace {

constexpr DWORD kGrabLimitMs = 5000;

struct PendingRequest {
  bool pending = false;
  bool answered = false;
  Conversion result = Conversion::notConverted;
  FrameDestination destination{};
};

std::mutex requestMutex;
PendingRequest request;  // guarded by requestMutex

bool answered() {
  std::lock_guard<std::mutex> lock(requestMutex);
  return request.answered;
}

}  // namespace

LRESULT sendCapture(HWND captureWindow, UINT message, WPARAM wParam, LPARAM lParam,
                    DWORD limitMs) {
  if (captureWindow == nullptr || !IsWindow(captureWindow)) return 0;
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutA(captureWindow, message, wParam, lParam, SMTO_NORMAL, limitMs,
                           &result))
    return 0;
  return LRESULT(result);
}

bool readVideoFormat(HWND captureWindow, BITMAPINFOHEADER& header) {
  const LRESULT size = sendCapture(captureWindow, kGetVideoFormat, 0, 0);
  if (size < LRESULT(sizeof(BITMAPINFOHEADER)) || size > (1 << 20)) return false;
  std::vector<uint8_t> block(size_t(size), 0);
  if (sendCapture(captureWindow, kGetVideoFormat, WPARAM(size),
                  reinterpret_cast<LPARAM>(block.data())) < LRESULT(sizeof(BITMAPINFOHEADER)))
    return false;
  std::memcpy(&header, block.data(), sizeof(header));
  return true;
}

GrabOutcome grabFrame(HWND captureWindow, const FrameDestination& destination) {
  {
    std::lock_guard<std::mutex> lock(requestMutex);
    request = PendingRequest{true, false, Conversion::notConverted, destination};
  }
  bool delivered = false;
  // The whole grab, message and callback, stays within the limit.
  const DWORD start = GetTickCount();
  if (sendCapture(captureWindow, kGrabFrame, 0, 0, kGrabLimitMs) != 0) {
    while (!(delivered = answered()) && GetTickCount() - start < kGrabLimitMs) Sleep(5);
  }
  std::lock_guard<std::mutex> lock(requestMutex);
  delivered = request.answered;
  const Conversion result = request.result;
  request = PendingRequest{};  // withdrawn: a late callback finds nothing to write
  if (!delivered) return GrabOutcome::noFrame;
  return result == Conversion::converted ? GrabOutcome::converted : GrabOutcome::notConverted;
}

LRESULT CALLBACK onFrame(HWND captureWindow, FrameHeader* frame) {
  BITMAPINFOHEADER header{};
  const bool haveFormat = readVideoFormat(captureWindow, header);
  std::lock_guard<std::mutex> lock(requestMutex);
  if (!request.pending || request.answered) return 1;
  request.answered = true;
  if (!haveFormat || frame == nullptr || frame->data == nullptr) return 1;
  const DWORD frameBytes = frame->bytesUsed != 0 ? frame->bytesUsed : frame->bufferLength;
  const FrameFormat format{header.biCompression, header.biBitCount, header.biWidth, header.biHeight};
  const FrameDestination& to = request.destination;
  request.result = convertFrame(to.kind, format, frame->data, frameBytes, to.data, to.bytes);
  return 1;
}

}  // namespace brevan::camcapture::win32
