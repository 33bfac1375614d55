// "I420" / "YV12" frames (luma top down, then two quarter planes indexed by 2 x 2 block) and the
// colour conversion of 0x33333333 frames (full-resolution chroma).
#include <cstring>

#include "colour_formulas.h"
#include "frame_loops.h"

namespace brevan::camcapture::detail {
namespace {

struct ChromaPlanes {
  const uint8_t* cx;  // feeds the low byte's formula
  const uint8_t* cz;  // feeds the high byte's formula
};

// I420 stores U then V, YV12 V then U; cx is U in both cases.
ChromaPlanes chromaPlanes(bool yv12, const Picture& frame) {
  const size_t pixels = frame.width * frame.height;
  const uint8_t* second = frame.bytes + pixels;
  const uint8_t* third = second + pixels / 4;
  return yv12 ? ChromaPlanes{third, second} : ChromaPlanes{second, third};
}

// The chroma terms are worked out once per 2 x 2 block and shared by its pixels. Nothing
// written overlaps what is read: restrict lets the compiler vectorise.
void colourRow(const uint8_t* __restrict luma, const uint8_t* __restrict cx,
               const uint8_t* __restrict cz, size_t blocks, uint32_t* __restrict out) {
  for (size_t block = 0; block < blocks; ++block) {
    const ChromaTerms terms = chromaTerms(cx[block], cz[block]);
    out[2 * block] = colourFromTerms(luma[2 * block], terms);
    out[2 * block + 1] = colourFromTerms(luma[2 * block + 1], terms);
  }
}

void toColour(const ChromaPlanes& chroma, const Picture& frame, uint32_t* out) {
  const size_t chromaWidth = frame.width / 2;
  for (size_t y = 0; y < frame.height; ++y) {
    const size_t chromaRow = (y / 2) * chromaWidth;
    colourRow(frame.bytes + y * frame.width, chroma.cx + chromaRow, chroma.cz + chromaRow,
              chromaWidth, out + y * frame.width);
  }
}

// Each block's chroma sample fills its four positions of a full-size plane.
void spreadPlane(const uint8_t* quarter, const Picture& frame, uint8_t* out) {
  const size_t chromaWidth = frame.width / 2;
  for (size_t y = 0; y < frame.height; ++y) {
    const uint8_t* samples = quarter + (y / 2) * chromaWidth;
    for (size_t x = 0; x < frame.width; ++x) *out++ = samples[x / 2];
  }
}

}  // namespace

void convertPlanar(FrameKind kind, bool yv12, const Picture& frame, void* destination) {
  const size_t pixels = frame.width * frame.height;
  const ChromaPlanes chroma = chromaPlanes(yv12, frame);
  auto* bytes = static_cast<uint8_t*>(destination);
  switch (kind) {
    case FrameKind::colour:
      return toColour(chroma, frame, static_cast<uint32_t*>(destination));
    case FrameKind::blackWhite:
      std::memcpy(bytes, frame.bytes, pixels);
      return;
    case FrameKind::yuv:
      std::memcpy(bytes, frame.bytes, pixels);
      spreadPlane(chroma.cx, frame, bytes + pixels);
      spreadPlane(chroma.cz, frame, bytes + 2 * pixels);
      return;
    case FrameKind::yuv22:
      // The result is in I420 order whatever the input's.
      std::memcpy(bytes, frame.bytes, pixels);
      std::memcpy(bytes + pixels, chroma.cx, pixels / 4);
      std::memcpy(bytes + pixels + pixels / 4, chroma.cz, pixels / 4);
      return;
  }
}

void convertFullChromaToColour(const Picture& frame, uint32_t* __restrict destination) {
  const size_t pixels = frame.width * frame.height;
  const uint8_t* __restrict luma = frame.bytes;
  const uint8_t* __restrict q = frame.bytes + pixels;                // feeds the high byte
  const uint8_t* __restrict r3 = frame.bytes + pixels + pixels / 4;  // feeds the low byte
  for (size_t i = 0; i < pixels; ++i) destination[i] = colourFromTerms(luma[i], chromaTerms(r3[i], q[i]));
}

}  // namespace brevan::camcapture::detail
