// How the window hooks pack their reports into window message parameters, and how the receiver
// unpacks them. Parameters are taken as their low 32 bits, as on 32-bit Windows.
#pragma once

#include <cstdint>

namespace brevan::screensource {

struct ReportParams {
  uint32_t wParam;
  uint32_t lParam;
};

struct PixelRect {
  int left, top, right, bottom;
};

// Each coordinate is truncated to 16 bits.
ReportParams encodeRectangleMessage(int left, int top, int right, int bottom);
// The four 16-bit fields read back as signed numbers.
PixelRect decodeRectangleMessage(uint32_t wParam, uint32_t lParam);

uint32_t encodeCursorMessage(int x, int y);  // (x shl 16) or (y and 0xFFFF)
struct CursorPoint {
  int x, y;
};
// x from the high half taken as signed, y the low half unsigned.
CursorPoint decodeCursorMessage(uint32_t lParam);

}  // namespace brevan::screensource
