// Checks a frame against its layout, then hands it to the loop of its source family.
#include "frame_conversion.h"

#include "frame_loops.h"

namespace brevan::camcapture {

Conversion convertFrame(FrameKind kind, const FrameFormat& format, const uint8_t* frame,
                        size_t frameSize, void* destination, size_t destinationSize) {
  const FrameLayout layout = frameLayout(kind, format);
  if (!layout.readable) return Conversion::notConverted;
  if (layout.needsEvenSize && (layout.width % 2 != 0 || layout.height % 2 != 0))
    return Conversion::oddSize;
  if (layout.frameBytes > frameSize || (frame == nullptr && layout.frameBytes > 0))
    return Conversion::frameTooShort;
  if (layout.destinationBytes > destinationSize ||
      (destination == nullptr && layout.destinationBytes > 0))
    return Conversion::destinationTooSmall;
  if (layout.destinationBytes == 0) return Conversion::converted;

  const detail::Picture picture{frame, size_t(layout.width), size_t(layout.height)};
  if (format.compression == kUncompressed) {
    detail::convertUncompressed(kind, format.bitsPerPixel, picture, destination);
  } else if (format.compression == kFullChroma) {
    detail::convertFullChromaToColour(picture, static_cast<uint32_t*>(destination));
  } else {
    detail::convertPlanar(kind, format.compression == kYV12, picture, destination);
  }
  return Conversion::converted;
}

}  // namespace brevan::camcapture
