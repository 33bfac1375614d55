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

// Two picture rows share a chroma row; the chroma terms are worked out once per 2 x 2 block and
// shared by its four pixels.
struct RowPair {
  const uint8_t* luma[2];
  uint32_t* out[2];
  const uint8_t* cx;
  const uint8_t* cz;
};

RowPair rowPair(const ChromaPlanes& chroma, const Picture& frame, uint32_t* out, size_t y) {
  const size_t at = y * frame.width, chromaRow = (y / 2) * (frame.width / 2);
  return {{frame.bytes + at, frame.bytes + at + frame.width},
          {out + at, out + at + frame.width},
          chroma.cx + chromaRow,
          chroma.cz + chromaRow};
}

// Each form converts groups of blocks (AVX-512 thirty-two, AVX2 sixteen, SSE2 eight, plain one)
// of both rows. A form takes a whole picture whose rows hold at least one group, and ends each row
// with a group that overlaps the one before it (writing some pixels twice, with the same values):
// one more group costs less than handing the last blocks of every row to narrower loops. The
// vector forms are flattened, so that their groups run inline in the loop rather than as a call
// each, and the loop works on its own copies of the pointers: a vector store may alias any
// memory, so pointers read through a reference would be read again after every store.
template <class Group>
[[gnu::always_inline]] inline void colourByGroups(const ChromaPlanes& chroma, const Picture& frame,
                                                  uint32_t* out) {
  const ChromaPlanes planes = chroma;
  const Picture picture = frame;
  const size_t blocks = picture.width / 2;
  for (size_t y = 0; y < picture.height; y += 2) {
    const RowPair rows = rowPair(planes, picture, out, y);
    size_t block = 0;
    for (; block + Group::kBlocks <= blocks; block += Group::kBlocks) Group::convert(rows, block);
    if (block < blocks) Group::convert(rows, blocks - Group::kBlocks);
  }
}

struct PlainColour {
  static constexpr size_t kBlocks = 1;
  static void convert(const RowPair& rows, size_t block) {
    const ChromaTerms terms = chromaTerms(rows.cx[block], rows.cz[block]);
    for (int row = 0; row < 2; ++row) {
      rows.out[row][2 * block] = colourFromTerms(rows.luma[row][2 * block], terms);
      rows.out[row][2 * block + 1] = colourFromTerms(rows.luma[row][2 * block + 1], terms);
    }
  }
};

#ifdef BREVAN_CAMCAPTURE_AVX2
struct Avx512Colour {
  static constexpr size_t kBlocks = 32;
  BREVAN_AVX512_CODE static void convert(const RowPair& rows, size_t block) {
    const avx512::ChromaTerms terms =
        avx512::chromaTerms(avx512::widen32(rows.cx + block), avx512::widen32(rows.cz + block));
    const avx512::ChromaTerms first = avx512::doubled(terms, avx512::kFirstDoubled);
    const avx512::ChromaTerms next = avx512::doubled(terms, avx512::kNextDoubled);
    const size_t x = 2 * block;
    avx512::storeColours({{rows.out[0] + x, avx512::widen32(rows.luma[0] + x), first},
                          {rows.out[1] + x, avx512::widen32(rows.luma[1] + x), first}});
    avx512::storeColours({{rows.out[0] + x + 32, avx512::widen32(rows.luma[0] + x + 32), next},
                          {rows.out[1] + x + 32, avx512::widen32(rows.luma[1] + x + 32), next}});
  }
};
[[gnu::flatten]] BREVAN_AVX512_CODE void colourFromAvx512(const ChromaPlanes& chroma,
                                                          const Picture& frame, uint32_t* out) {
  colourByGroups<Avx512Colour>(chroma, frame, out);
}

struct Avx2Colour {
  static constexpr size_t kBlocks = 16;
  BREVAN_AVX2_CODE static void convert(const RowPair& rows, size_t block) {
    const avx2::ChromaTerms terms =
        avx2::chromaTerms(avx2::widenBlocks(rows.cx + block), avx2::widenBlocks(rows.cz + block));
    const avx2::ChromaTerms first = avx2::firstDoubled(terms), next = avx2::nextDoubled(terms);
    const size_t x = 2 * block;
    for (int row = 0; row < 2; ++row) {
      avx2::storeColour(rows.out[row] + x, avx2::widenGroup(rows.luma[row] + x), first);
      avx2::storeColour(rows.out[row] + x + 16, avx2::widenGroup(rows.luma[row] + x + 16), next);
    }
  }
};
[[gnu::flatten]] BREVAN_AVX2_CODE void colourFromAvx2(const ChromaPlanes& chroma,
                                                      const Picture& frame, uint32_t* out) {
  colourByGroups<Avx2Colour>(chroma, frame, out);
}
#endif

#ifdef BREVAN_CAMCAPTURE_SSE2
struct Sse2Colour {
  static constexpr size_t kBlocks = 8;
  static void convert(const RowPair& rows, size_t block) {
    const sse2::ChromaTerms terms =
        sse2::chromaTerms(sse2::widen8(rows.cx + block), sse2::widen8(rows.cz + block));
    const sse2::ChromaTerms first = sse2::firstDoubled(terms), next = sse2::nextDoubled(terms);
    const size_t x = 2 * block;
    for (int row = 0; row < 2; ++row) {
      sse2::storeColour(rows.out[row] + x, sse2::widen8(rows.luma[row] + x), first);
      sse2::storeColour(rows.out[row] + x + 8, sse2::widen8(rows.luma[row] + x + 8), next);
    }
  }
};
#endif

// Sizes are even here.
void toColour([[maybe_unused]] Loops loops, const ChromaPlanes& chroma, const Picture& frame,
              uint32_t* out) {
  [[maybe_unused]] const size_t blocks = frame.width / 2;
#ifdef BREVAN_CAMCAPTURE_AVX2
  if (runs(loops, Loops::avx512) && blocks >= Avx512Colour::kBlocks)
    return colourFromAvx512(chroma, frame, out);
  if (runs(loops, Loops::avx2) && blocks >= Avx2Colour::kBlocks)
    return colourFromAvx2(chroma, frame, out);
#endif
#ifdef BREVAN_CAMCAPTURE_SSE2
  if (runs(loops, Loops::sse2) && blocks >= Sse2Colour::kBlocks)
    return colourByGroups<Sse2Colour>(chroma, frame, out);
#endif
  colourByGroups<PlainColour>(chroma, frame, out);
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
[[gnu::flatten]] BREVAN_AVX512_CODE size_t fullChromaFromAvx512(const uint8_t* luma,
                                                                const uint8_t* q, const uint8_t* r3,
                                                                size_t i, size_t pixels,
                                                                uint32_t* out) {
  for (; i + 64 <= pixels; i += 64) {
    const avx512::ChromaTerms first =
        avx512::chromaTerms(avx512::widen32(r3 + i), avx512::widen32(q + i));
    const avx512::ChromaTerms next =
        avx512::chromaTerms(avx512::widen32(r3 + i + 32), avx512::widen32(q + i + 32));
    avx512::storeColours({{out + i, avx512::widen32(luma + i), first},
                          {out + i + 32, avx512::widen32(luma + i + 32), next}});
  }
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
