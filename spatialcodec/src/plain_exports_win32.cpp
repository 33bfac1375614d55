// Plain exports of the image filter for native callers (see spatial_codec.h).
#define SPATIAL_CODEC_BUILD  // export, not import, the functions of spatial_codec.h
#include <cstddef>
#include <cstdint>

#include "export_guard.h"
#include "filter_table.h"
#include "image_codec.h"
#include "spatial_codec.h"

namespace {

using brevan::jni::guarded;

constexpr size_t kUnknownLength = SIZE_MAX;

}  // namespace

extern "C" int __cdecl encodeImageFilterFull(const uint32_t* pixels, uint32_t offset,
                                             uint32_t width, uint32_t height, uint32_t scanline,
                                             uint8_t* out, uint32_t outPos, int workSize,
                                             int index) {
  if (pixels == nullptr || out == nullptr) return SPATIAL_CODEC_FAILURE;
  return guarded<int>(SPATIAL_CODEC_FAILURE, [&] {
    const int64_t length = brevan::spatial::encodeImage(
        brevan::spatial::FilterTable::process(), index, {pixels, kUnknownLength},
        {offset, width, height, scanline}, {out, kUnknownLength}, workSize);
    return length < 0 ? SPATIAL_CODEC_FAILURE : int(uint32_t(outPos + uint32_t(length)));
  });
}

extern "C" int __cdecl decodeImageFilterFull(const uint8_t* coded, uint32_t start, uint32_t end,
                                             uint32_t* pixels, uint32_t offset, uint32_t width,
                                             uint32_t height, uint32_t scanline, int index) {
  if (coded == nullptr || pixels == nullptr) return SPATIAL_CODEC_FAILURE;
  return guarded<int>(SPATIAL_CODEC_FAILURE, [&] {
    return int(brevan::spatial::decodeImage(
        brevan::spatial::FilterTable::process(), index, {coded, kUnknownLength}, start, end,
        {pixels, kUnknownLength}, {offset, width, height, scanline}));
  });
}

extern "C" int __cdecl getImageFilterIndex(void) {
  return guarded<int>(-1, [] { return brevan::spatial::FilterTable::process().acquire(); });
}

extern "C" bool __cdecl releaseImageFilterIndex(int index) {
  return brevan::spatial::FilterTable::process().release(index);
}

extern "C" void __cdecl resetImageFilterIndex(int index) {
  brevan::spatial::FilterTable::process().reset(index);
}

extern "C" void __cdecl setBitsPerColor(int bits, int index) {
  brevan::spatial::FilterTable::process().setBitsPerColor(bits, index);
}
