#include <gtest/gtest.h>

#include <random>
#include <string>

#include "imageio/png_io.h"
#include "imageio/ppm_io.h"
#include "testsupport/files.h"

namespace brevan::imageio {
namespace {

using testsupport::Bytes;

std::string scratch(const std::string& leaf) {
  return std::string(BREVAN_BINARY_DIR) + "/imageio_" + leaf;
}

RgbImage noise(int width, int height, std::mt19937& rng) {
  RgbImage image{width, height, std::vector<uint8_t>(size_t(width) * height * 3)};
  for (uint8_t& byte : image.rgb) byte = static_cast<uint8_t>(rng());
  return image;
}

TEST(PictureFiles, PngAndPpmCarryEveryPixelOverManySizes) {
  const unsigned seed = 20240611;
  std::mt19937 rng(seed);
  for (auto [width, height] : {std::pair{1, 1}, {3, 2}, {17, 5}, {64, 33}, {300, 7}}) {
    SCOPED_TRACE(testing::Message() << width << "x" << height << " seed " << seed);
    const RgbImage image = noise(width, height, rng);

    ASSERT_TRUE(writePng(scratch("round.png"), image));
    RgbImage back;
    std::string error;
    ASSERT_TRUE(readPng(scratch("round.png"), back, error)) << error;
    EXPECT_EQ(back.width, width);
    EXPECT_EQ(back.height, height);
    EXPECT_EQ(back.rgb, image.rgb);

    ASSERT_TRUE(writePpm(scratch("round.ppm"), image));
    const std::string header =
        "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
    Bytes expected(header.begin(), header.end());
    expected.insert(expected.end(), image.rgb.begin(), image.rgb.end());
    EXPECT_EQ(testsupport::readFile(scratch("round.ppm")), expected);
  }
}

TEST(PictureFiles, PngCutInsideItsPixelDataIsRefused) {
  std::mt19937 rng(7);
  ASSERT_TRUE(writePng(scratch("whole.png"), noise(9, 4, rng)));
  const Bytes whole = testsupport::readFile(scratch("whole.png"));
  const size_t iendChunk = 12;  // every cut before the end chunk loses pixel data
  for (size_t cut = 0; cut + iendChunk < whole.size(); ++cut) {
    ASSERT_TRUE(
        testsupport::writeFile(scratch("cut.png"), Bytes(whole.begin(), whole.begin() + cut)));
    RgbImage image;
    std::string error;
    EXPECT_FALSE(readPng(scratch("cut.png"), image, error)) << "cut at " << cut;
  }
  RgbImage image;
  std::string error;
  EXPECT_FALSE(readPng(scratch("missing.png"), image, error));
}

}  // namespace
}  // namespace brevan::imageio
