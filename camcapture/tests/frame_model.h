// A plain per-pixel model of the frame conversions: every destination element computed on its
// own from the pixel it stands for, with no shared loops, for property tests of the real ones.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "frame_format.h"

namespace brevan::camcapture::test {

// The destination as bytes (colour: native-order ints), or nothing when the model says the
// frame is not converted (format, odd size, short frame).
std::optional<std::vector<uint8_t>> modelConversion(FrameKind kind, const FrameFormat& format,
                                                    const std::vector<uint8_t>& frame);

}  // namespace brevan::camcapture::test
