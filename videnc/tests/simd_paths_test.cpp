// The SSE2 paths against the scalar ones: whole packets and reference
// planes must be identical, whichever path the processor allows.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "planes.h"
#include "simd_dispatch.h"
#include "test_scenes.h"
#include "video_encoder.h"

namespace videnc {
namespace {

struct ScalarPaths {
    ScalarPaths() { forceScalarPaths(true); }
    ~ScalarPaths() { forceScalarPaths(false); }
};

// Packets of a sequence: absolute, then relative ones, automatic index.
std::vector<std::vector<uint8_t>> packets(const std::vector<std::vector<uint8_t>>& frames, int width, int height,
                                          int targetBits, int fixedQuant, ReferencePlanes& reference) {
    VideoEncoder encoder(width, height);
    std::vector<std::vector<uint8_t>> out;
    for (size_t i = 0; i < frames.size(); ++i) {
        const PacketKind kind = i == 0 ? PacketKind::Absolute : PacketKind::Relative;
        EXPECT_TRUE(encoder.makePacket(kind, frames[i].data(), frames[i].size(), targetBits, fixedQuant));
        out.emplace_back(encoder.packetByteLength());
        encoder.copyPacket(out.back().data());
    }
    reference = encoder.reference();
    return out;
}

void expectSameBothWays(const std::vector<std::vector<uint8_t>>& frames, int width, int height, int targetBits,
                        int fixedQuant) {
    ReferencePlanes fastReference, plainReference;
    const auto fast = packets(frames, width, height, targetBits, fixedQuant, fastReference);
    std::vector<std::vector<uint8_t>> plain;
    {
        const ScalarPaths scalar;
        plain = packets(frames, width, height, targetBits, fixedQuant, plainReference);
    }
    ASSERT_EQ(fast.size(), plain.size());
    for (size_t i = 0; i < fast.size(); ++i) ASSERT_TRUE(fast[i] == plain[i]) << "packet " << i;
    for (int p = 0; p < kPlaneCount; ++p) {
        ASSERT_TRUE(fastReference.plane[p].samples == plainReference.plane[p].samples) << "plane " << p;
    }
}

TEST(SimdPaths, MovingSceneGivesTheSamePacketsAtEveryIndex) {
    std::vector<std::vector<uint8_t>> frames;
    for (int i = 0; i < 5; ++i) frames.push_back(syntheticFrame(160, 96, i * 3));
    for (int q = 0; q < 20; ++q) {
        SCOPED_TRACE("q " + std::to_string(q));
        expectSameBothWays(frames, 160, 96, q == 0 ? 20000 : 0, q);
    }
}

TEST(SimdPaths, NoiseAndHardEdgesGiveTheSamePackets) {
    // Noise, and frames flipping between black and white, push samples,
    // differences and coefficients past the ranges of the 16-bit lanes.
    std::mt19937 random(17);
    const int width = 64, height = 48;
    std::vector<std::vector<uint8_t>> frames;
    for (int i = 0; i < 8; ++i) {
        std::vector<uint8_t> frame(frameBytes(width, height));
        for (size_t k = 0; k < frame.size(); ++k) {
            if (i % 2 == 0) {
                frame[k] = static_cast<uint8_t>(random());
            } else {
                frame[k] = ((k / 3 + k / width + i) % 2) ? 255 : 0;
            }
        }
        frames.push_back(frame);
    }
    for (int q : {1, 7, 15, 19}) {
        SCOPED_TRACE("q " + std::to_string(q));
        expectSameBothWays(frames, width, height, 0, q);
    }
    expectSameBothWays(frames, width, height, 4000, 0);
}

}  // namespace
}  // namespace videnc
