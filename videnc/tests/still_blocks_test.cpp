// Relative packets that skip the transform of repeated blocks must be the
// packets that coding those blocks gives: same bits, same reference.
#include <gtest/gtest.h>

#include <vector>

#include "bit_writer.h"
#include "frame_coder.h"
#include "planes.h"
#include "still_blocks.h"
#include "test_scenes.h"

namespace brevan::videnc {
namespace {

constexpr int kWidth = 176, kHeight = 144;  // 11 chroma blocks a row

struct Step {
  PacketKind kind;
  int quant;
  std::vector<uint8_t> frame;
};

struct Coders {
  FrameCoder reusing{kWidth, kHeight};
  FrameCoder coding{kWidth, kHeight};
  Coders() { coding.setStillBlockReuse(false); }

  // Codes one packet with both; the number of repeats the reusing coder found.
  size_t code(const Step& step, int index) {
    BitWriter a, b;
    reusing.code(step.kind, step.frame.data(), step.quant, a);
    coding.code(step.kind, step.frame.data(), step.quant, b);
    EXPECT_EQ(a.bytes(), b.bytes()) << "packet " << index;
    for (int p = 0; p < kPlaneCount; ++p) {
      EXPECT_TRUE(reusing.reference().plane[p].samples == coding.reference().plane[p].samples)
          << "packet " << index << " plane " << p;
    }
    return reusing.repeatsInLastPacket();
  }
};

std::vector<uint8_t> still() { return syntheticFrame(kWidth, kHeight, 0); }
std::vector<uint8_t> window(int index) {
  return windowFrame(still(), syntheticFrame(kWidth, kHeight, index), kWidth, kHeight);
}

// The scene with every byte changed from the frame before.
std::vector<uint8_t> allMoving(int index) {
  std::vector<uint8_t> frame = syntheticFrame(kWidth, kHeight, index);
  for (uint8_t& b : frame) b ^= index % 2 ? 1 : 2;
  return frame;
}

TEST(StillBlocks, RepeatsAcrossChangingStepsCodeLikeTheirBlocks) {
  // Steps that grow, shrink, and move one way for DC and the other for AC
  // (index 16: DC 16, AC 12; index 15: DC 8, AC 16); an absolute packet in
  // the middle forgets everything.
  const int quants[] = {13, 13, 13, 19, 19, 5, 5, 13, 16, 16, 15,
                        15, 17, 18, 19, 19, 0, 0, 7,  12, 12, 3};
  Coders coders;
  size_t repeats = 0;
  int index = 0;
  for (int quant : quants) {
    const PacketKind kind = index == 0 || index == 11 ? PacketKind::Absolute : PacketKind::Relative;
    const size_t found =
        coders.code({kind, quant, index % 5 == 4 ? still() : window(index)}, index);
    if (kind == PacketKind::Absolute) {
      EXPECT_EQ(found, 0u);
    }
    repeats += found;
    ++index;
  }
  const size_t blocks = kWidth / 8 * (kHeight / 8) * 3 / 2;
  EXPECT_GT(repeats, blocks);
}

TEST(StillBlocks, ForgetsBlocksWhoseReferenceMayHaveChanged) {
  // An absolute packet replaces the reference: here with a coarser
  // picture than the relative packets had refined it to. Then the
  // reference moves away from the remembered bytes and back.
  Coders coders;
  int index = 0;
  coders.code({PacketKind::Absolute, 13, still()}, index++);
  for (int i = 0; i < 4; ++i) coders.code({PacketKind::Relative, 13, still()}, index++);
  EXPECT_GT(coders.reusing.repeatsInLastPacket(), 0u);
  EXPECT_EQ(coders.code({PacketKind::Absolute, 3, still()}, index++), 0u);
  EXPECT_EQ(coders.code({PacketKind::Relative, 13, still()}, index++), 0u);
  // A packet coded with the reuse off records nothing, and what was
  // remembered before it is stale too.
  for (int i = 0; i < 4; ++i) coders.code({PacketKind::Relative, 13, still()}, index++);
  coders.reusing.setStillBlockReuse(false);
  coders.code({PacketKind::Relative, 13, allMoving(1)}, index++);
  coders.reusing.setStillBlockReuse(true);
  EXPECT_EQ(coders.code({PacketKind::Relative, 13, still()}, index++), 0u);
}

TEST(StillBlocks, WatchingPausesWhileEverythingMovesAndComesBack) {
  Coders coders;
  const size_t blocks = kWidth / 8 * (kHeight / 8) * 3 / 2;
  int index = 0;
  coders.code({PacketKind::Absolute, 13, still()}, index++);
  // Whole frames moving: one packet records, the next finds too little.
  for (int i = 1; i <= 2; ++i) coders.code({PacketKind::Relative, 13, allMoving(i)}, index++);
  // Paused: nothing is found, and what was remembered of the last frame
  // no longer matches its reference when that frame comes back.
  for (int i = 0; i < StillBlocks::kPausePackets; ++i) {
    EXPECT_EQ(coders.code({PacketKind::Relative, 13, still()}, index++), 0u) << "packet " << index;
  }
  EXPECT_EQ(coders.code({PacketKind::Relative, 13, allMoving(2)}, index++), 0u);
  // Watching again: the frame repeated repeats.
  EXPECT_GT(coders.code({PacketKind::Relative, 13, allMoving(2)}, index++), blocks / 4);
}

}  // namespace
}  // namespace brevan::videnc
