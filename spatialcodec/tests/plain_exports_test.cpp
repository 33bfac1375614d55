// The plain exports of SpatialCodec.dll as a native program calls them: the
// pointer types and calling convention come from the public header.
#include <gtest/gtest.h>

#include "image_test_support.h"
#include "jnitest/library.h"
#include "lz_run_coder.h"
#include "spatial_codec.h"

namespace {

class PlainExports : public ::testing::Test {
 protected:
  template <typename Fn>
  Fn* function(const char* name, Fn*) {
    return lib.get<Fn*>(name);
  }

  brevan::jnitest::Library lib{"SpatialCodec"};
  decltype(&encodeImageFilterFull) encode =
      function("encodeImageFilterFull", &encodeImageFilterFull);
  decltype(&decodeImageFilterFull) decode =
      function("decodeImageFilterFull", &decodeImageFilterFull);
  decltype(&getImageFilterIndex) get = function("getImageFilterIndex", &getImageFilterIndex);
  decltype(&releaseImageFilterIndex) release =
      function("releaseImageFilterIndex", &releaseImageFilterIndex);
  decltype(&resetImageFilterIndex) reset =
      function("resetImageFilterIndex", &resetImageFilterIndex);
  decltype(&setBitsPerColor) bits = function("setBitsPerColor", &setBitsPerColor);
};

TEST_F(PlainExports, ImageStreamAcrossTwoFilters) {
  const int enc = get();
  const int dec = get();
  ASSERT_GE(enc, 0);
  ASSERT_GE(dec, 0);
  bits(4, enc);
  bits(4, dec);
  const int w = 120, h = 80;
  std::vector<uint8_t> coded(brevan::spatial::lzCompressBound(2 + 4 * w * h));
  for (uint32_t frame = 0; frame < 3; ++frame) {
    if (frame == 2) {
      reset(enc);
      reset(dec);
    }
    const std::vector<uint32_t> px = brevan::spatial::testing::desktopFrame(w, h, frame);
    const int end = encode(px.data(), 0, w, h, w, coded.data(), 7, 2 + 4 * w * h, enc);
    ASSERT_GT(end, 7);
    std::vector<uint32_t> back(px.size());
    ASSERT_EQ(decode(coded.data(), 0, uint32_t(end - 7), back.data(), 0, w, h, w, dec), w * h);
    for (int y = 0; y < h; ++y) {
      const uint32_t source = px[size_t(h - 1 - y) * w];
      EXPECT_EQ(back[size_t(y) * w] & 0xF0F0F0, back[size_t(y) * w]);
      EXPECT_LE(back[size_t(y) * w] ^ (source & 0xFFFFFF), 0xFFFFFFu);
    }
  }
  EXPECT_EQ(encode(nullptr, 0, 2, 2, 2, coded.data(), 0, 100, enc), SPATIAL_CODEC_FAILURE);
  EXPECT_EQ(encode(reinterpret_cast<const uint32_t*>(coded.data()), 0, 256, 256, 256, coded.data(),
                   0, 2 + 4 * 65536, enc),
            SPATIAL_CODEC_FAILURE);
  EXPECT_EQ(decode(coded.data(), 5, 4, nullptr, 0, 1, 1, 1, dec), SPATIAL_CODEC_FAILURE);
  EXPECT_EQ(decode(coded.data(), 0, 10, reinterpret_cast<uint32_t*>(coded.data()), 0, 1, 1, 1, 10),
            SPATIAL_CODEC_FAILURE);
  EXPECT_TRUE(release(enc));
  EXPECT_FALSE(release(enc));
  EXPECT_TRUE(release(dec));
}

}  // namespace
