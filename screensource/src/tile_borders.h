// How much of a changed tile's edge kept its last-sent pixels, so that only the inner rectangle
// travels.
#pragma once

#include <cstdint>

#include "packet_format.h"

namespace brevan::screensource {

// Bottom rows first (row 0 up, at most 63), then the top rows while the two leave a row between
// them; columns the same way from the left, then the right. A side is only counted from the
// far end when the near end met a difference.
TileBorders findUnchangedBorders(const uint32_t* rows, int stride, const uint32_t* lastSent);

}  // namespace brevan::screensource
