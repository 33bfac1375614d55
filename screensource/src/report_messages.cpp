#include "report_messages.h"

namespace brevan::screensource {

ReportParams encodeRectangleMessage(int left, int top, int right, int bottom) {
  return {(static_cast<uint32_t>(top) << 16) | (static_cast<uint32_t>(left) & 0xFFFF),
          (static_cast<uint32_t>(bottom) << 16) | (static_cast<uint32_t>(right) & 0xFFFF)};
}

PixelRect decodeRectangleMessage(uint32_t wParam, uint32_t lParam) {
  return {static_cast<int>(wParam & 0xFFFF), static_cast<int>(wParam >> 16),
          static_cast<int>(lParam & 0xFFFF), static_cast<int>(lParam >> 16)};
}

uint32_t encodeCursorMessage(int x, int y) {
  return (static_cast<uint32_t>(x) << 16) | static_cast<uint32_t>(y);
}

CursorPoint decodeCursorMessage(uint32_t lParam) {
  return {static_cast<int32_t>(lParam) >> 16, static_cast<int>(lParam & 0xFFFF)};
}

}  // namespace brevan::screensource
