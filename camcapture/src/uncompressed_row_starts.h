// Where each uncompressed row loop starts its plain part: the AVX-512 form (where in use, for the
// weighed formulas) converts groups of sixty-four, the AVX2 form groups of sixteen or thirty-two
// from where it stopped, the SSE2 form groups of eight, and the plain loop in
// uncompressed_loops.cpp finishes the row. Without SSE2 every start is 0.
#pragma once

#include <cstddef>
#include <cstdint>

#include "loop_choice.h"
#include "uncompressed_avx2_rows.h"
#include "uncompressed_avx512_rows.h"
#include "uncompressed_sse2_rows.h"

namespace brevan::camcapture::detail {

template <int PixelBytes>
size_t colourStart([[maybe_unused]] Loops loops, [[maybe_unused]] const uint8_t* row,
                   [[maybe_unused]] size_t width, [[maybe_unused]] uint32_t* out) {
  size_t done = 0;
#ifdef BREVAN_CAMCAPTURE_AVX2
  if (runs(loops, Loops::avx512)) done = avx512::colourFrom<PixelBytes>(row, done, width, out);
  if (runs(loops, Loops::avx2)) done = avx2::colourFrom<PixelBytes>(row, done, width, out);
#endif
#ifdef BREVAN_CAMCAPTURE_SSE2
  if (runs(loops, Loops::sse2)) done = sse2::colourFrom<PixelBytes>(row, done, width, out);
#endif
  return done;
}

template <int PixelBytes>
size_t blackWhiteStart([[maybe_unused]] Loops loops, [[maybe_unused]] const uint8_t* row,
                       [[maybe_unused]] size_t width, [[maybe_unused]] uint8_t* out) {
  size_t done = 0;
#ifdef BREVAN_CAMCAPTURE_AVX2
  if (runs(loops, Loops::avx512)) done = avx512::blackWhiteFrom<PixelBytes>(row, done, width, out);
  if (runs(loops, Loops::avx2)) done = avx2::blackWhiteFrom<PixelBytes>(row, done, width, out);
#endif
#ifdef BREVAN_CAMCAPTURE_SSE2
  if (runs(loops, Loops::sse2)) done = sse2::blackWhiteFrom<PixelBytes>(row, done, width, out);
#endif
  return done;
}

template <int PixelBytes>
size_t yuvStart([[maybe_unused]] Loops loops, [[maybe_unused]] const uint8_t* row,
                [[maybe_unused]] size_t width, [[maybe_unused]] uint8_t* luma,
                [[maybe_unused]] uint8_t* towardX2, [[maybe_unused]] uint8_t* towardX0) {
  size_t done = 0;
#ifdef BREVAN_CAMCAPTURE_AVX2
  if (runs(loops, Loops::avx512))
    done = avx512::yuvFrom<PixelBytes>(row, done, width, luma, towardX2, towardX0);
  if (runs(loops, Loops::avx2))
    done = avx2::yuvFrom<PixelBytes>(row, done, width, luma, towardX2, towardX0);
#endif
#ifdef BREVAN_CAMCAPTURE_SSE2
  if (runs(loops, Loops::sse2))
    done = sse2::yuvFrom<PixelBytes>(row, done, width, luma, towardX2, towardX0);
#endif
  return done;
}

template <int PixelBytes>
size_t lumaStart([[maybe_unused]] Loops loops, [[maybe_unused]] const uint8_t* row,
                 [[maybe_unused]] size_t width, [[maybe_unused]] uint8_t* luma) {
  size_t done = 0;
#ifdef BREVAN_CAMCAPTURE_AVX2
  if (runs(loops, Loops::avx512)) done = avx512::lumaFrom<PixelBytes>(row, done, width, luma);
  if (runs(loops, Loops::avx2)) done = avx2::lumaFrom<PixelBytes>(row, done, width, luma);
#endif
#ifdef BREVAN_CAMCAPTURE_SSE2
  if (runs(loops, Loops::sse2)) done = sse2::lumaFrom<PixelBytes>(row, done, width, luma);
#endif
  return done;
}

template <int PixelBytes>
size_t blockChromaStart([[maybe_unused]] Loops loops, [[maybe_unused]] const uint8_t* row,
                        [[maybe_unused]] size_t blocks, [[maybe_unused]] uint8_t* towardX0,
                        [[maybe_unused]] uint8_t* towardX2) {
  size_t done = 0;
#ifdef BREVAN_CAMCAPTURE_AVX2
  if (runs(loops, Loops::avx512))
    done = avx512::blockChromaFrom<PixelBytes>(row, done, blocks, towardX0, towardX2);
  if (runs(loops, Loops::avx2))
    done = avx2::blockChromaFrom<PixelBytes>(row, done, blocks, towardX0, towardX2);
#endif
#ifdef BREVAN_CAMCAPTURE_SSE2
  if (runs(loops, Loops::sse2))
    done = sse2::blockChromaFrom<PixelBytes>(row, done, blocks, towardX0, towardX2);
#endif
  return done;
}

}  // namespace brevan::camcapture::detail
