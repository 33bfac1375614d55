// The SSE2 forms of the block sample work against the scalar ones, on
// seeded blocks and at the edge of the mode sums' 32-bit range.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "block_samples.h"
#include "simd_dispatch.h"

namespace videnc {
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
        for (int32_t& r : reference) r = trial % 2 ? static_cast<int32_t>(random()) : static_cast<int32_t>(random() % 600) - 300;
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
    const int32_t spans[] = {255, 4000, kIntraLaneLimit - 1, kIntraLaneLimit, kIntraLaneLimit + 1, INT32_MAX / 2};
    for (int trial = 0; trial < 6000; ++trial) {
        const int32_t span = spans[trial % 6];
        std::uniform_int_distribution<int32_t> value(-span, span);
        // Samples just past the limit too, but not so far that the scalar sums overflow.
        const int32_t sampleSpan = std::min(span, kIntraLaneLimit + 1);
        std::uniform_int_distribution<int32_t> sample(-sampleSpan, sampleSpan);
        int32_t samples[64], reference[8 * kStride];
        for (int32_t& s : samples) s = trial % 4 == 0 ? sample(random) : static_cast<int32_t>(random() % 384) - 128;
        for (int32_t& r : reference) r = value(random);
        if (trial % 5 == 0) {
            for (int i = 0; i < 8 * kStride; ++i) reference[i] = i % 2 ? span : -span;  // every difference at its largest
            for (int i = 0; i < 64; ++i) samples[i] = i % 2 ? -255 : 255;
        }
        IntraSums fast = intraSums(samples, reference + 2, kStride), plain{};
        onScalarPaths([&] { plain = intraSums(samples, reference + 2, kStride); });
        ASSERT_EQ(fast.sad, plain.sad) << "trial " << trial;
        ASSERT_EQ(fast.deviation, plain.deviation) << "trial " << trial;
    }
}

}  // namespace
}  // namespace videnc
