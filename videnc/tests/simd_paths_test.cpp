// The vector paths against the scalar ones: whole packets and reference
// planes must be identical at every level the processor allows.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "planes.h"
#include "simd_dispatch.h"
#include "test_scenes.h"
#include "video_encoder.h"

namespace brevan::videnc {
namespace {

// Caps the vector paths for the lifetime of the object.
struct SimdCap {
  explicit SimdCap(SimdLevel level) { limitSimdPaths(level); }
  ~SimdCap() { limitSimdPaths(SimdLevel::Avx512); }
};

// Packets of a sequence: absolute, then relative ones, automatic index.
std::vector<std::vector<uint8_t>> packets(const std::vector<std::vector<uint8_t>>& frames,
                                          int width, int height, int targetBits, int fixedQuant,
                                          ReferencePlanes& reference) {
  VideoEncoder encoder(width, height);
  std::vector<std::vector<uint8_t>> out;
  for (size_t i = 0; i < frames.size(); ++i) {
    const PacketKind kind = i == 0 ? PacketKind::Absolute : PacketKind::Relative;
    EXPECT_TRUE(
        encoder.makePacket(kind, frames[i].data(), frames[i].size(), targetBits, fixedQuant));
    out.emplace_back(encoder.packetByteLength());
    encoder.copyPacket(out.back().data());
  }
  reference = encoder.reference();
  return out;
}

struct Coded {
  std::vector<std::vector<uint8_t>> packets;
  ReferencePlanes reference;
};

Coded codedAt(SimdLevel level, const std::vector<std::vector<uint8_t>>& frames, int width,
              int height, int targetBits, int fixedQuant) {
  const SimdCap cap(level);
  Coded coded;
  coded.packets = packets(frames, width, height, targetBits, fixedQuant, coded.reference);
  return coded;
}

void expectSameBothWays(const std::vector<std::vector<uint8_t>>& frames, int width, int height,
                        int targetBits, int fixedQuant) {
  const Coded plain = codedAt(SimdLevel::Scalar, frames, width, height, targetBits, fixedQuant);
  for (SimdLevel level : {SimdLevel::Sse2, SimdLevel::Avx2, SimdLevel::Avx512}) {
    SCOPED_TRACE("vector level " + std::to_string(static_cast<int>(level)));
    const Coded fast = codedAt(level, frames, width, height, targetBits, fixedQuant);
    ASSERT_EQ(fast.packets.size(), plain.packets.size());
    for (size_t i = 0; i < fast.packets.size(); ++i)
      ASSERT_TRUE(fast.packets[i] == plain.packets[i]) << "packet " << i;
    for (int p = 0; p < kPlaneCount; ++p) {
      ASSERT_TRUE(fast.reference.plane[p].samples == plain.reference.plane[p].samples)
          << "plane " << p;
    }
  }
}

TEST(SimdPaths, MovingSceneGivesTheSamePacketsAtEveryIndex) {
  // 22 luma and 11 chroma blocks a row: the last blocks of each row have
  // no partners for the paths that transform two or four blocks at once.
  std::vector<std::vector<uint8_t>> frames;
  for (int i = 0; i < 5; ++i) frames.push_back(syntheticFrame(176, 96, i * 3));
  for (int q = 0; q < 20; ++q) {
    SCOPED_TRACE("q " + std::to_string(q));
    expectSameBothWays(frames, 176, 96, q == 0 ? 20000 : 0, q);
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
}  // namespace brevan::videnc
