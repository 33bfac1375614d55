#include "report_messages.h"

namespace brevan::screensource {

ReportParams encodeRectangleMessage(int left, int top, int right, int bottom) {
  return {(static_cast<uint32_t>(top) << 16) | (static_cast<uint32_t>(left) & 0xFFFF),
          (static_cast<uint32_t>(bottom) << 16) | (static_cast<uint32_t>(right) & 0xFFFF)};
}

namespace {
int signed16(uint32_t half) { return static_cast<int16_t>(static_cast<uint16_t>(half)); }
}  // namespace

// Read back as signed: a window reaching past the screen's left or top edge reports negative
// coordinates, which the tile step clamps; read unsigned they would drop the whole rectangle.
PixelRect decodeRectangleMessage(uint32_t wParam, uint32_t lParam) {
  return {signed16(wParam), signed16(wParam >> 16), signed16(lParam), signed16(lParam >> 16)};
}

// y is cut to its 16 bits: a negative y would otherwise overwrite x.
uint32_t encodeCursorMessage(int x, int y) {
  return (static_cast<uint32_t>(x) << 16) | (static_cast<uint32_t>(y) & 0xFFFF);
}

CursorPoint decodeCursorMessage(uint32_t lParam) {
  return {static_cast<int32_t>(lParam) >> 16, static_cast<int>(lParam & 0xFFFF)};
}

}  // namespace brevan::screensource
