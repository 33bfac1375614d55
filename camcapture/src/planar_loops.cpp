// "I420" / "YV12" frames (luma top down, then two quarter planes indexed by 2 x 2 block) and the
// colour conversion of 0x33333333 frames (full-resolution chroma).
#include <cstring>

#include "colour_formulas.h"
#include "colour_avx2.h"
#include "colour_avx512.h"
#include "colour_sse2.h"
#include "frame_loops.h"
#include "loop_choice.h"

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

// Two picture rows share a chroma row. The vector forms convert groups of blocks (AVX-512
// thirty-two, AVX2 sixteen, then SSE2 eight) and say how far they got; the plain loop finishes
// the rows.
struct RowPair {
  const uint8_t* luma[2];
  uint32_t* out[2];
};

#ifdef BREVAN_CAMCAPTURE_AVX2
BREVAN_AVX512_CODE size_t colourFromAvx512(const RowPair& rows, const uint8_t* cx,
                                           const uint8_t* cz, size_t block, size_t blocks) {
  for (; block + 32 <= blocks; block += 32) {
    const avx512::ChromaTerms terms =
        avx512::chromaTerms(avx512::widen32(cx + block), avx512::widen32(cz + block));
    const avx512::ChromaTerms first = avx512::doubled(terms, avx512::kFirstDoubled);
    const avx512::ChromaTerms next = avx512::doubled(terms, avx512::kNextDoubled);
    for (int row = 0; row < 2; ++row) {
      const size_t x = 2 * block;
      avx512::storeColour(rows.out[row] + x, avx512::widen32(rows.luma[row] + x), first);
      avx512::storeColour(rows.out[row] + x + 32, avx512::widen32(rows.luma[row] + x + 32), next);
    }
  }
  return block;
}

BREVAN_AVX2_CODE size_t colourFromAvx2(const RowPair& rows, const uint8_t* cx, const uint8_t* cz,
                                       size_t block, size_t blocks) {
  for (; block + 16 <= blocks; block += 16) {
    const avx2::ChromaTerms terms =
        avx2::chromaTerms(avx2::widenBlocks(cx + block), avx2::widenBlocks(cz + block));
    const avx2::ChromaTerms first = avx2::firstDoubled(terms), next = avx2::nextDoubled(terms);
    for (int row = 0; row < 2; ++row) {
      const size_t x = 2 * block;
      avx2::storeColour(rows.out[row] + x, avx2::widenGroup(rows.luma[row] + x), first);
      avx2::storeColour(rows.out[row] + x + 16, avx2::widenGroup(rows.luma[row] + x + 16), next);
    }
  }
  return block;
}
#endif

#ifdef BREVAN_CAMCAPTURE_SSE2
size_t colourFromSse2(const RowPair& rows, const uint8_t* cx, const uint8_t* cz, size_t block,
                      size_t blocks) {
  for (; block + 8 <= blocks; block += 8) {
    const sse2::ChromaTerms terms =
        sse2::chromaTerms(sse2::widen8(cx + block), sse2::widen8(cz + block));
    const sse2::ChromaTerms first = sse2::firstDoubled(terms), next = sse2::nextDoubled(terms);
    for (int row = 0; row < 2; ++row) {
      const size_t x = 2 * block;
      sse2::storeColour(rows.out[row] + x, sse2::widen8(rows.luma[row] + x), first);
      sse2::storeColour(rows.out[row] + x + 8, sse2::widen8(rows.luma[row] + x + 8), next);
    }
  }
  return block;
}
#endif

size_t colourStart([[maybe_unused]] Loops loops, [[maybe_unused]] const RowPair& rows,
                   [[maybe_unused]] const uint8_t* cx, [[maybe_unused]] const uint8_t* cz,
                   [[maybe_unused]] size_t blocks) {
  size_t block = 0;
#ifdef BREVAN_CAMCAPTURE_AVX2
  if (runs(loops, Loops::avx512)) block = colourFromAvx512(rows, cx, cz, block, blocks);
  if (runs(loops, Loops::avx2)) block = colourFromAvx2(rows, cx, cz, block, blocks);
#endif
#ifdef BREVAN_CAMCAPTURE_SSE2
  if (runs(loops, Loops::sse2)) block = colourFromSse2(rows, cx, cz, block, blocks);
#endif
  return block;
}

// The chroma terms are worked out once per 2 x 2 block and shared by its four pixels.
void colourRowPair(Loops loops, const RowPair& rows, const uint8_t* cx, const uint8_t* cz,
                   size_t blocks) {
  for (size_t block = colourStart(loops, rows, cx, cz, blocks); block < blocks; ++block) {
    const ChromaTerms terms = chromaTerms(cx[block], cz[block]);
    for (int row = 0; row < 2; ++row) {
      rows.out[row][2 * block] = colourFromTerms(rows.luma[row][2 * block], terms);
      rows.out[row][2 * block + 1] = colourFromTerms(rows.luma[row][2 * block + 1], terms);
    }
  }
}

// Sizes are even here.
void toColour(Loops loops, const ChromaPlanes& chroma, const Picture& frame, uint32_t* out) {
  const size_t chromaWidth = frame.width / 2;
  for (size_t y = 0; y < frame.height; y += 2) {
    const size_t at = y * frame.width;
    const RowPair rows{{frame.bytes + at, frame.bytes + at + frame.width},
                       {out + at, out + at + frame.width}};
    const size_t chromaRow = (y / 2) * chromaWidth;
    colourRowPair(loops, rows, chroma.cx + chromaRow, chroma.cz + chromaRow, chromaWidth);
  }
}

size_t doubledStart([[maybe_unused]] Loops loops, [[maybe_unused]] const uint8_t* samples,
                    [[maybe_unused]] size_t count, [[maybe_unused]] uint8_t* out) {
#ifdef BREVAN_CAMCAPTURE_SSE2
  size_t i = 0;
  for (; runs(loops, Loops::sse2) && i + 16 <= count; i += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(samples + i));
    sse2::store16Bytes(out + 2 * i, _mm_unpacklo_epi8(v, v));
    sse2::store16Bytes(out + 2 * i + 16, _mm_unpackhi_epi8(v, v));
  }
  return i;
#else
  return 0;
#endif
}

// Each block's chroma sample fills its four positions of a full-size plane: one row of samples,
// each written twice, makes two identical rows. Sizes are even here.
void spreadPlane(Loops loops, const uint8_t* quarter, const Picture& frame, uint8_t* out) {
  const size_t chromaWidth = frame.width / 2;
  for (size_t y = 0; y < frame.height; y += 2, out += 2 * frame.width) {
    const uint8_t* samples = quarter + (y / 2) * chromaWidth;
    for (size_t i = doubledStart(loops, samples, chromaWidth, out); i < chromaWidth; ++i)
      out[2 * i] = out[2 * i + 1] = samples[i];
    std::memcpy(out + frame.width, out, frame.width);
  }
}

}  // namespace

void convertPlanar(FrameKind kind, bool yv12, const Picture& frame, void* destination) {
  const size_t pixels = frame.width * frame.height;
  const ChromaPlanes chroma = chromaPlanes(yv12, frame);
  const Loops loops = loopsInUse();
  auto* bytes = static_cast<uint8_t*>(destination);
  switch (kind) {
    case FrameKind::colour:
      return toColour(loops, chroma, frame, static_cast<uint32_t*>(destination));
    case FrameKind::blackWhite:
      std::memcpy(bytes, frame.bytes, pixels);
      return;
    case FrameKind::yuv:
      std::memcpy(bytes, frame.bytes, pixels);
      spreadPlane(loops, chroma.cx, frame, bytes + pixels);
      spreadPlane(loops, chroma.cz, frame, bytes + 2 * pixels);
      return;
    case FrameKind::yuv22:
      // The result is in I420 order whatever the input's.
      std::memcpy(bytes, frame.bytes, pixels);
      std::memcpy(bytes + pixels, chroma.cx, pixels / 4);
      std::memcpy(bytes + pixels + pixels / 4, chroma.cz, pixels / 4);
      return;
  }
}

namespace {

#ifdef BREVAN_CAMCAPTURE_AVX2
BREVAN_AVX512_CODE size_t fullChromaFromAvx512(const uint8_t* luma, const uint8_t* q,
                                               const uint8_t* r3, size_t i, size_t pixels,
                                               uint32_t* out) {
  for (; i + 32 <= pixels; i += 32)
    avx512::storeColour(out + i, avx512::widen32(luma + i),
                        avx512::chromaTerms(avx512::widen32(r3 + i), avx512::widen32(q + i)));
  return i;
}

BREVAN_AVX2_CODE size_t fullChromaFromAvx2(const uint8_t* luma, const uint8_t* q, const uint8_t* r3,
                                           size_t i, size_t pixels, uint32_t* out) {
  for (; i + 16 <= pixels; i += 16)
    avx2::storeColour(out + i, avx2::widenGroup(luma + i),
                      avx2::chromaTerms(avx2::widenGroup(r3 + i), avx2::widenGroup(q + i)));
  return i;
}
#endif

#ifdef BREVAN_CAMCAPTURE_SSE2
size_t fullChromaFromSse2(const uint8_t* luma, const uint8_t* q, const uint8_t* r3, size_t i,
                          size_t pixels, uint32_t* out) {
  for (; i + 8 <= pixels; i += 8)
    sse2::storeColour(out + i, sse2::widen8(luma + i),
                      sse2::chromaTerms(sse2::widen8(r3 + i), sse2::widen8(q + i)));
  return i;
}
#endif

size_t fullChromaStart([[maybe_unused]] const uint8_t* luma, [[maybe_unused]] const uint8_t* q,
                       [[maybe_unused]] const uint8_t* r3, [[maybe_unused]] size_t pixels,
                       [[maybe_unused]] uint32_t* out) {
  [[maybe_unused]] const Loops loops = loopsInUse();
  size_t i = 0;
#ifdef BREVAN_CAMCAPTURE_AVX2
  if (runs(loops, Loops::avx512)) i = fullChromaFromAvx512(luma, q, r3, i, pixels, out);
  if (runs(loops, Loops::avx2)) i = fullChromaFromAvx2(luma, q, r3, i, pixels, out);
#endif
#ifdef BREVAN_CAMCAPTURE_SSE2
  if (runs(loops, Loops::sse2)) i = fullChromaFromSse2(luma, q, r3, i, pixels, out);
#endif
  return i;
}

}  // namespace

void convertFullChromaToColour(const Picture& frame, uint32_t* __restrict destination) {
  const size_t pixels = frame.width * frame.height;
  const uint8_t* __restrict luma = frame.bytes;
  const uint8_t* __restrict q = frame.bytes + pixels;                // feeds the high byte
  const uint8_t* __restrict r3 = frame.bytes + pixels + pixels / 4;  // feeds the low byte
  for (size_t i = fullChromaStart(luma, q, r3, pixels, destination); i < pixels; ++i)
    destination[i] = colourFromTerms(luma[i], chromaTerms(r3[i], q[i]));
}

}  // namespace brevan::camcapture::detail
