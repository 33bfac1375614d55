// Rate control and picture quality on moving content: a synthetic scene and
// a pan over a photograph of this machine, coded at several target sizes.
// Prints PSNR and size per quantiser index for a person to read.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "rate_control.h"
#include "test_scenes.h"
#include "video_encoder.h"

namespace brevan::videnc {
namespace {

constexpr int kWidth = 176, kHeight = 144;
using Source = std::function<std::vector<uint8_t>(int)>;

double psnr(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  double sum = 0;
  for (size_t i = 0; i < a.size(); ++i) sum += (a[i] - b[i]) * double(a[i] - b[i]);
  return sum == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 * a.size() / sum);
}

// Fixed index q over a few frames: mean packet bits and mean PSNR.
std::pair<double, double> codeAtIndex(const Source& source, int q) {
  VideoEncoder encoder(kWidth, kHeight);
  double bits = 0, quality = 0;
  const int frames = 4;
  for (int i = 0; i < frames; ++i) {
    const std::vector<uint8_t> frame = source(i);
    EXPECT_TRUE(encoder.makePacket(i == 0 ? PacketKind::Absolute : PacketKind::Relative,
                                   frame.data(), frame.size(), 0, q == 0 ? 1 : q));
    bits += encoder.packetBitLength();
    quality += psnr(frame, encoder.reference().toFrame());
  }
  return {bits / frames, quality / frames};
}

void reportIndexes(const char* name, const Source& source) {
  std::printf("%s: quantiser index, mean bits per packet, mean PSNR (dB)\n", name);
  double coarsest = 0, finest = 0, coarsestBits = 0, finestBits = 0;
  for (int q = 1; q < kQuantCount; ++q) {
    const auto [bits, quality] = codeAtIndex(source, q);
    std::printf("  q %2d  %8.0f bits  %5.2f dB\n", q, bits, quality);
    if (q == 1) {
      coarsest = quality;
      coarsestBits = bits;
    }
    finest = quality;
    finestBits = bits;
  }
  EXPECT_GT(finest, coarsest + 6) << name;
  EXPECT_GT(finestBits, 2 * coarsestBits) << name;
  EXPECT_GT(finest, 38) << name;
}

// Codes with the automatic index. The index moves every packet while the
// average it steers by spans five, so it swings widely around the target;
// after settling, the mean size still lands within two ratio-table steps
// of the target, unless the target lies beyond the coarsest or finest index.
void checkTargets(const char* name, const Source& source) {
  const double maxRatio = *std::max_element(kSizeRatio, kSizeRatio + 19);
  for (int target : {4000, 12000, 24000, 60000}) {
    VideoEncoder encoder(kWidth, kHeight);
    std::vector<double> sizes;
    std::vector<int> indexes;
    double quality = 0;
    for (int i = 0; i < 40; ++i) {
      const std::vector<uint8_t> frame = source(i);
      ASSERT_TRUE(encoder.makePacket(i == 0 ? PacketKind::Absolute : PacketKind::Relative,
                                     frame.data(), frame.size(), target, 0));
      if (i >= 20) {
        sizes.push_back(encoder.packetBitLength());
        indexes.push_back(encoder.rateControl().quantIndex());
        quality += psnr(frame, encoder.reference().toFrame());
      }
    }
    double mean = 0;
    for (double s : sizes) mean += s / sizes.size();
    const int low = *std::min_element(indexes.begin(), indexes.end());
    const int high = *std::max_element(indexes.begin(), indexes.end());
    std::printf("%s: target %6d bits: mean %8.0f bits, index %d..%d, PSNR %.2f dB\n", name, target,
                mean, low, high, quality / sizes.size());
    if (high == 0) {
      EXPECT_GT(mean, target / maxRatio) << name << ": coarsest index and still below target";
    } else if (low == kQuantCount - 1) {
      EXPECT_LT(mean, target * maxRatio) << name << ": finest index and still above target";
    } else {
      EXPECT_LT(mean, target * maxRatio * maxRatio) << name << " target " << target;
      EXPECT_GT(mean, target / (maxRatio * maxRatio)) << name << " target " << target;
    }
  }
}

TEST(Quality, MovingSyntheticScene) {
  const Source source = [](int i) { return syntheticFrame(kWidth, kHeight, i * 2); };
  reportIndexes("synthetic scene", source);
  checkTargets("synthetic scene", source);
}

TEST(Quality, PanOverAPictureOfThisMachine) {
  RgbImage picture;
  std::string path;
  if (!loadMachinePicture(picture, path))
    GTEST_SKIP() << "no picture found; set VIDENC_PICTURE to a PNG file";
  std::printf("picture: %s\n", path.c_str());
  const auto pan = std::make_shared<PanSequence>(picture, kWidth, kHeight);
  const Source source = [pan](int i) { return pan->frame(i * 4); };
  reportIndexes("picture pan", source);
  checkTargets("picture pan", source);
}

}  // namespace
}  // namespace brevan::videnc
