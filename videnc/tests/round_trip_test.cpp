// The decoder rebuilds the encoder's reference planes exactly from the
// packets alone, packet after packet, and rejects broken packets cleanly.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "decoder/packet_decoder.h"
#include "packet_bits.h"
#include "planes.h"
#include "test_scenes.h"
#include "video_encoder.h"

namespace brevan::videnc {
namespace {

std::vector<uint8_t> packetOf(const VideoEncoder& encoder) {
  std::vector<uint8_t> bytes(encoder.packetByteLength());
  if (!bytes.empty()) encoder.copyPacket(bytes.data());
  return bytes;
}

void expectSamePlanes(const ReferencePlanes& a, const ReferencePlanes& b,
                      const std::string& where) {
  for (int p = 0; p < kPlaneCount; ++p) {
    ASSERT_EQ(a.plane[p].width, b.plane[p].width) << where;
    ASSERT_TRUE(a.plane[p].samples == b.plane[p].samples) << where << ", plane " << p;
  }
}

// Codes frames one after another (absolute every keyEvery) and checks the
// decoder after every packet.
template <class FrameSource>
void checkSequence(int width, int height, int frames, int keyEvery, FrameSource source,
                   int targetBits, int fixedQuant) {
  VideoEncoder encoder(width, height);
  PacketDecoder decoder;
  for (int i = 0; i < frames; ++i) {
    const std::vector<uint8_t> frame = source(i);
    const PacketKind kind = i % keyEvery == 0 ? PacketKind::Absolute : PacketKind::Relative;
    ASSERT_TRUE(encoder.makePacket(kind, frame.data(), frame.size(), targetBits, fixedQuant));
    const std::vector<uint8_t> bytes = packetOf(encoder);
    ASSERT_EQ(decoder.decode(bytes.data(), static_cast<size_t>(encoder.packetBitLength())),
              DecodeStatus::Ok)
        << "frame " << i;
    EXPECT_EQ(decoder.lastQuant(), encoder.rateControl().quantIndex());
    expectSamePlanes(encoder.reference(), decoder.planes(), "frame " + std::to_string(i));
  }
}

TEST(RoundTrip, MovingSceneAtEveryFixedIndex) {
  for (int q = 1; q < 20; q += 3) {
    SCOPED_TRACE("q " + std::to_string(q));
    checkSequence(
        96, 64, 6, 4, [](int i) { return syntheticFrame(96, 64, i * 5); }, 0, q);
  }
}

TEST(RoundTrip, RandomFramesWithAutomaticIndex) {
  // Noise drives levels to the escape's limits and blocks to both modes.
  const unsigned seed = std::random_device{}();
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 random(seed);
  std::vector<uint8_t> base(frameBytes(48, 32));
  for (uint8_t& b : base) b = static_cast<uint8_t>(random());
  checkSequence(
      48, 32, 12, 5,
      [&](int i) {
        std::vector<uint8_t> frame = base;
        for (size_t k = 0; k < frame.size(); ++k) {
          if ((k + i) % 3 == 0) frame[k] = static_cast<uint8_t>(random() % (i % 2 ? 256 : 8));
        }
        return frame;
      },
      5000, 0);
}

TEST(RoundTrip, ExtremeContrastStaysInStep) {
  // Black and white checks, then their inverse: differences of +-255
  // against a reference that overshoots.
  checkSequence(
      32, 32, 6, 100,
      [](int i) {
        std::vector<uint8_t> frame(frameBytes(32, 32));
        for (size_t k = 0; k < frame.size(); ++k) frame[k] = ((k / 8 + k / 256 + i) % 2) ? 255 : 0;
        return frame;
      },
      0, 19);
}

TEST(RoundTrip, WidestFrame) {
  checkSequence(
      2032, 16, 2, 2, [](int i) { return syntheticFrame(2032, 16, i); }, 0, 7);
}

struct BrokenPacket {
  const char* label;
  std::string bits;
  DecodeStatus expected;
};

std::vector<uint8_t> bytesOf(const std::string& bits) {
  std::vector<uint8_t> bytes((bits.size() + 7) / 8, 0);
  for (size_t k = 0; k < bits.size(); ++k) {
    if (bits[k] == '1') bytes[k / 8] |= static_cast<uint8_t>(1u << (k % 8));
  }
  return bytes;
}

TEST(RoundTrip, DecoderRejectsBrokenPackets) {
  const std::string header16 = "1" + lsbFirst(2, 8) + lsbFirst(2, 8) + lsbFirst(13, 5);
  const std::string zeroBlocks(6, '0');  // 4 luma + U + V blocks, not coded
  const BrokenPacket cases[] = {
      {"empty", "", DecodeStatus::Truncated},
      {"header cut", header16.substr(0, 12), DecodeStatus::Truncated},
      {"width 0", "1" + lsbFirst(0, 8) + lsbFirst(2, 8) + lsbFirst(13, 5) + zeroBlocks,
       DecodeStatus::BadHeader},
      {"odd block count", "1" + lsbFirst(3, 8) + lsbFirst(2, 8) + lsbFirst(13, 5),
       DecodeStatus::BadHeader},
      {"index 20", "1" + lsbFirst(2, 8) + lsbFirst(2, 8) + lsbFirst(20, 5) + zeroBlocks,
       DecodeStatus::BadHeader},
      {"relative first", "01" + lsbFirst(13, 5) + std::string(12, '0'), DecodeStatus::NeedAbsolute},
      {"relative second bit 0", "00" + lsbFirst(13, 5), DecodeStatus::BadHeader},
      {"blocks missing", header16 + "0000", DecodeStatus::Truncated},
      {"unused prefix", header16 + "1" + "000000000000" + zeroBlocks, DecodeStatus::BadCode},
      {"run past 64",
       header16 +
           "1"
           "10"
           "1"
           "0000011"
           "1" +
           lsbFirst(63, 6) + lsbFirst(1, 9) + "1" + zeroBlocks,
       DecodeStatus::BadCode},
      {"escape of level 0",
       header16 +
           "1"
           "0000011"
           "1" +
           lsbFirst(0, 6) + lsbFirst(0, 9) + "1" + zeroBlocks,
       DecodeStatus::BadCode},
      {"no last coefficient",
       header16 + "1"
                  "10"
                  "1"
                  "10"
                  "1",
       DecodeStatus::Truncated},
      {"well formed",
       header16 +
           "1"
           "0111"
           "1" +
           "00000",
       DecodeStatus::Ok},
  };
  for (const BrokenPacket& c : cases) {
    PacketDecoder decoder;
    const std::vector<uint8_t> bytes = bytesOf(c.bits);
    EXPECT_EQ(decoder.decode(bytes.data(), c.bits.size()), c.expected) << c.label;
  }
}

}  // namespace
}  // namespace brevan::videnc
