// The vector forms of the block sample work against the scalar ones, on
// seeded blocks and at the edge of the mode sums' 32-bit range, and the
// forms for several blocks at once against one block at a time.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>

#include "block_samples.h"
#include "quantiser_sse2.h"
#include "transform_sse2.h"
#include "simd_dispatch.h"

namespace brevan::videnc {
namespace {

constexpr int kStride = 24;  // the block sits inside a wider plane

template <class Work>
void onScalarPaths(Work work) {
  forceScalarPaths(true);
  work();
  forceScalarPaths(false);
}

TEST(BlockSamples, LoadAndSubtractMatchTheScalarForms) {
  std::mt19937 random(31);
  for (int trial = 0; trial < 2000; ++trial) {
    uint8_t frame[8 * kStride];
    for (uint8_t& b : frame) b = static_cast<uint8_t>(random());
    int32_t reference[8 * kStride];
    for (int32_t& r : reference)
      r = trial % 2 ? static_cast<int32_t>(random()) : static_cast<int32_t>(random() % 600) - 300;
    const int32_t bias = trial % 3 == 0 ? 0 : 128;
    int32_t fast[64], plain[64];
    loadBlock(frame + 3, kStride, bias, fast);
    subtractReference(reference + 5, kStride, fast);
    onScalarPaths([&] {
      loadBlock(frame + 3, kStride, bias, plain);
      subtractReference(reference + 5, kStride, plain);
    });
    for (int i = 0; i < 64; ++i) ASSERT_EQ(fast[i], plain[i]) << "trial " << trial << " at " << i;
  }
}

TEST(BlockSamples, ModeSumsMatchTheScalarFormAcrossTheLaneLimit) {
  std::mt19937 random(37);
  const int32_t spans[] = {
      255, 4000, kIntraLaneLimit - 1, kIntraLaneLimit, kIntraLaneLimit + 1, INT32_MAX / 2};
  for (int trial = 0; trial < 6000; ++trial) {
    const int32_t span = spans[trial % 6];
    std::uniform_int_distribution<int32_t> value(-span, span);
    // Samples just past the limit too, but not so far that the scalar sums overflow.
    const int32_t sampleSpan = std::min(span, kIntraLaneLimit + 1);
    std::uniform_int_distribution<int32_t> sample(-sampleSpan, sampleSpan);
    int32_t samples[64], reference[8 * kStride];
    for (int32_t& s : samples)
      s = trial % 4 == 0 ? sample(random) : static_cast<int32_t>(random() % 384) - 128;
    for (int32_t& r : reference) r = value(random);
    if (trial % 5 == 0) {
      for (int i = 0; i < 8 * kStride; ++i)
        reference[i] = i % 2 ? span : -span;  // every difference at its largest
      for (int i = 0; i < 64; ++i) samples[i] = i % 2 ? -255 : 255;
    }
    IntraSums fast = intraSums(samples, reference + 2, kStride), plain{};
    onScalarPaths([&] { plain = intraSums(samples, reference + 2, kStride); });
    ASSERT_EQ(fast.sad, plain.sad) << "trial " << trial;
    ASSERT_EQ(fast.deviation, plain.deviation) << "trial " << trial;
  }
}

TEST(BlockSamples, RelativeInputInLanesMatchesTheModeChoiceAndDifference) {
  if (!sse2Enabled()) GTEST_SKIP() << "no SSE2 on this processor";
  std::mt19937 random(41);
  const int32_t spans[] = {0, 40, 300, kRelativeReferenceLimit, kRelativeReferenceLimit + 1, 40000};
  int accepted = 0, intraBlocks = 0;
  for (int trial = 0; trial < 12000; ++trial) {
    const int32_t span = spans[trial % 6];
    std::uniform_int_distribution<int32_t> value(-span, span);
    uint8_t frame[8 * kStride];
    int32_t reference[8 * kStride];
    const int flat = static_cast<int>(random() % 256);
    for (uint8_t& b : frame)
      b = static_cast<uint8_t>(trial % 3 == 0 ? flat + random() % 7 : random());
    for (int32_t& r : reference)
      r = trial % 3 == 0 ? flat - 128 + value(random) / 8 : value(random);
    if (trial % 7 == 0)
      reference[5 + (trial / 7 % 8) * kStride + trial % 8] = trial % 2 ? span : -span;
    const int32_t bias = trial % 2 ? 128 : 0;

    int32_t samples[64];
    bool limitPassed = false;
    onScalarPaths([&] { loadBlock(frame + 3, kStride, bias, samples); });
    for (int y = 0; y < 8; ++y) {
      for (int x = 0; x < 8; ++x) {
        limitPassed |= std::abs(reference[5 + y * kStride + x]) > kRelativeReferenceLimit;
      }
    }
    bool intra = false;
    int16_t input[64];
    const bool done = relativeInputSse2(frame + 3, kStride, bias, reference + 5, &intra, input);
    ASSERT_EQ(done, !limitPassed) << "trial " << trial;
    if (!done) continue;
    ++accepted;
    const bool expectedIntra = prefersIntra(intraSums(samples, reference + 5, kStride));
    ASSERT_EQ(intra, expectedIntra) << "trial " << trial;
    intraBlocks += intra;
    for (int i = 0; i < 64; ++i) {
      const int32_t expected =
          intra ? samples[i] : samples[i] - reference[5 + (i / 8) * kStride + i % 8];
      ASSERT_EQ(input[i], expected) << "trial " << trial << " at " << i;
    }
  }
  // Both modes and both outcomes of the limit were seen.
  EXPECT_GT(intraBlocks, 100);
  EXPECT_GT(accepted - intraBlocks, 100);
  EXPECT_LT(accepted, 12000);
}

// Relative levels of `count` adjacent blocks at once (many) against each
// block alone, with references inside and beyond the lanes' limit per
// block, so that one block may refuse the vector form by itself.
template <class Many>
void expectBlocksMatchSingleOnes(int count, Many many) {
  constexpr int kWideStride = 40;  // room for four blocks and the offsets
  std::mt19937 random(47);
  const int32_t spans[] = {0, 40, 300, kRelativeReferenceLimit, kRelativeReferenceLimit + 1, 40000};
  int together = 0;
  for (int trial = 0; trial < 12000; ++trial) {
    uint8_t frame[8 * kWideStride];
    int32_t reference[8 * kWideStride];
    const int flat = static_cast<int>(random() % 256);
    for (uint8_t& b : frame)
      b = static_cast<uint8_t>(trial % 3 == 0 ? flat + random() % 7 : random());
    for (int i = 0; i < 8 * kWideStride; ++i) {
      const int block = std::clamp((i % kWideStride - 4) / 8, 0, count - 1);
      const int32_t span = spans[(trial + block) % 6];
      const int32_t r = std::uniform_int_distribution<int32_t>(-span, span)(random);
      reference[i] = trial % 3 == 0 ? flat - 128 + r / 8 : r;
    }
    if (trial % 5 == 0) {
      reference[4 + 8 * (trial % count) + (trial / 5 % 8) * kWideStride] =
          trial % 4 < 2 ? -40000 : 40000;
    }
    const int32_t bias = trial % 2 ? 128 : 0;

    const QuantSteps steps(trial % kQuantCount);
    bool singleIntra[4] = {}, manyIntra[4] = {};
    int32_t single[4][64], levels[4][64];
    uint64_t singleMask[4] = {}, manyMask[4];
    bool allDone = true;
    for (int b = 0; b < count; ++b) {
      int16_t input[64], coeff[64];
      const bool done = relativeInputSse2(frame + 3 + 8 * b, kWideStride, bias,
                                          reference + 4 + 8 * b, &singleIntra[b], input);
      if (done) {
        forwardDct16Sse2(input, coeff);
        singleMask[b] = quantiseBlockSse2(coeff, steps, single[b]);
      }
      allDone &= done;
    }
    int32_t* out[4] = {levels[0], levels[1], levels[2], levels[3]};
    const bool done =
        many(frame + 3, kWideStride, bias, reference + 4, steps, manyIntra, out, manyMask);
    ASSERT_EQ(done, allDone) << "trial " << trial;
    if (!done) continue;
    ++together;
    for (int b = 0; b < count; ++b) {
      ASSERT_EQ(manyIntra[b], singleIntra[b]) << "trial " << trial << " block " << b;
      ASSERT_EQ(manyMask[b], singleMask[b]) << "trial " << trial << " block " << b;
      for (int i = 0; i < 64; ++i)
        ASSERT_EQ(levels[b][i], single[b][i]) << "trial " << trial << " block " << b << " at " << i;
    }
  }
  EXPECT_GT(together, 500);
  EXPECT_LT(together, 11000);
}

TEST(BlockSamples, PairedRelativeLevelsMatchTwoSingleBlocks) {
  if (!avx2Enabled()) GTEST_SKIP() << "no AVX2 on this processor";
  expectBlocksMatchSingleOnes(
      2, [](const uint8_t* src, int stride, int32_t bias, const int32_t* reference,
            const QuantSteps& steps, bool* intra, int32_t* const* levels, uint64_t* nonzero) {
        return relativeLevelsPairAvx2(src, stride, bias, reference, steps, intra, levels[0],
                                      levels[1], nonzero);
      });
}

TEST(BlockSamples, FourRelativeLevelsMatchFourSingleBlocks) {
  if (!avx512Enabled()) GTEST_SKIP() << "no AVX-512 on this processor";
  expectBlocksMatchSingleOnes(4, relativeLevelsFourAvx512);
}

}  // namespace
}  // namespace brevan::videnc
