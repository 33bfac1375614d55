// Conversion of one grabbed frame into the layout the caller asked for. Pure functions of the
// format and the bytes: integer arithmetic with coefficients in units of 1/1024, no allocation.
//
// Contract: convertFrame never reads past frameSize bytes of the frame nor writes past
// destinationSize bytes of the destination, whatever the format claims. It writes the
// destination only when it returns Conversion::converted; every other result leaves it as it
// was.
#pragma once

#include <cstddef>
#include <cstdint>

#include "frame_format.h"

namespace brevan::camcapture {

enum class Conversion {
  converted,
  notConverted,         // a format or kind these conversions do not read
  oddSize,              // the layout works on 2 x 2 blocks and a side is odd
  frameTooShort,        // the frame holds fewer bytes than the layout reads
  destinationTooSmall,  // the destination holds fewer bytes than the layout writes
};

// What a conversion would read and write for this format and kind. readable is false for the
// formats and kinds that are not converted; then the sizes are 0.
struct FrameLayout {
  bool readable = false;
  bool needsEvenSize = false;  // the layout works on 2 x 2 blocks
  uint64_t width = 0;          // absolute sides
  uint64_t height = 0;
  uint64_t frameBytes = 0;        // the bytes the conversion reads from the frame
  uint64_t destinationBytes = 0;  // the bytes it writes
};

FrameLayout frameLayout(FrameKind kind, const FrameFormat& format);

// The destination of a colour conversion holds native-order 32-bit ints (a Java int array); the
// other kinds write bytes. The destination must be aligned for uint32_t for colour.
Conversion convertFrame(FrameKind kind, const FrameFormat& format, const uint8_t* frame,
                        size_t frameSize, void* destination, size_t destinationSize);

}  // namespace brevan::camcapture
