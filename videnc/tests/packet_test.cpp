// Packet bits for the cases whose layout is known exactly.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "block_coder.h"
#include "decoder/packet_decoder.h"
#include "frame_coder.h"
#include "packet_bits.h"
#include "quantiser.h"
#include "video_encoder.h"

namespace brevan::videnc {
namespace {

std::string blockBits(std::vector<std::pair<int, int32_t>> levelsAt, int32_t prediction = 0) {
  int32_t levels[64] = {};
  for (auto [scan, level] : levelsAt) levels[kZigzag[scan]] = level;
  BitWriter writer;
  writeBlock(writer, levels, prediction);
  return bitString(writer);
}

// Bytes of a bit sequence, the first bit in bit 0 of the first byte.
std::vector<uint8_t> packedBits(const std::vector<bool>& bits) {
  std::vector<uint8_t> bytes((bits.size() + 7) / 8, 0);
  for (size_t i = 0; i < bits.size(); ++i) bytes[i / 8] |= static_cast<uint8_t>(bits[i] << (i % 8));
  return bytes;
}

TEST(BitWriterBits, PutsOfEveryWidthPastTheGrowthStepAndCopiesAgree) {
  std::mt19937 random(53);
  BitWriter writer;
  std::vector<bool> expected;
  BitWriter halfway;
  size_t halfwayBits = 0;
  while (expected.size() < BitWriter::kGrowWords * 32 * 2 + 77) {
    const unsigned count = static_cast<unsigned>(random() % 33);
    const uint32_t value = count == 0 ? 0 : static_cast<uint32_t>(random()) >> (32 - count);
    writer.put(value, count);
    for (unsigned b = 0; b < count; ++b) expected.push_back((value >> b) & 1);
    if (halfwayBits == 0 && expected.size() > BitWriter::kGrowWords * 32 - 40) {
      halfway = writer;  // a copy taken just before the first growth
      halfwayBits = expected.size();
    }
  }
  ASSERT_EQ(writer.bitLength(), expected.size());
  EXPECT_TRUE(writer.bytes() == packedBits(expected));

  // The copy goes on by itself from where it was taken.
  std::vector<bool> rest(expected.begin(), expected.begin() + static_cast<long>(halfwayBits));
  ASSERT_EQ(halfway.bitLength(), rest.size());
  for (int i = 0; i < 3000; ++i) {
    halfway.put(i & 1, 1);
    rest.push_back(i & 1);
  }
  EXPECT_TRUE(halfway.bytes() == packedBits(rest));

  writer.clear();
  writer.put(5, 3);
  EXPECT_EQ(writer.bitLength(), 3u);
  EXPECT_TRUE(writer.bytes() == std::vector<uint8_t>{5});
}

// The block coder writes through stretches that store a word past the last
// full one: blocks of the longest kind (64 escapes), from every bit offset
// and across the growth of the buffer, must come out as they do alone in a
// fresh writer.
TEST(BitWriterBits, LongestBlocksAtEveryOffsetAcrossGrowth) {
  int32_t escapes[64];
  for (int i = 0; i < 64; ++i) escapes[i] = (i % 2 ? -1 : 1) * (40 + i);
  std::string alone;
  {
    BitWriter writer;
    int32_t levels[64], prediction = 0;
    std::copy(escapes, escapes + 64, levels);
    writeBlock(writer, levels, prediction);
    alone = bitString(writer);
  }
  ASSERT_EQ(alone.size(), kMaxBlockBits - 1);  // no intra bit here
  BitWriter writer;
  std::string expected;
  for (unsigned filler = 0; expected.size() < BitWriter::kGrowWords * 32 * 2 + 5000; ++filler) {
    const int width = 1 + static_cast<int>(filler % 7);
    const uint32_t value = filler & ((1u << width) - 1);
    writer.put(value, static_cast<unsigned>(width));
    expected += lsbFirst(value, width);
    int32_t levels[64], prediction = 0;
    std::copy(escapes, escapes + 64, levels);
    writeBlock(writer, levels, prediction);
    expected += alone;
  }
  EXPECT_EQ(bitString(writer), expected);
}

TEST(BlockBits, RunLevelCodesWithThePositiveSignBitOne) {
  // DC 11 after a block with DC 10: the difference +1 is the only
  // coefficient, (last 1, run 0, 1) = 0111, then sign 1.
  EXPECT_EQ(blockBits({{0, 11}}, 10),
            "1"
            "0111"
            "1");
  EXPECT_EQ(blockBits({{0, 9}}, 10),
            "1"
            "0111"
            "0");
  // (0, 0, 1) = 10, then (1, 2, 1) = 001110 for a -1 two zeros later.
  EXPECT_EQ(blockBits({{0, 1}, {3, -1}}),
            "1"
            "10"
            "1"
            "001110"
            "0");
  // (0, 1, 2) = 010100; (1, 0, 3) = 00000000101.
  EXPECT_EQ(blockBits({{1, 2}, {2, -3}}),
            "1"
            "010100"
            "1"
            "00000000101"
            "0");
}

TEST(BlockBits, LevelsWithoutACodeGoByEscape) {
  const std::string escape = "0000011";
  EXPECT_EQ(blockBits({{0, 40}}), "1" + escape + "1" + lsbFirst(0, 6) + lsbFirst(40, 9) + "1");
  // Level 13 at run 0 has no code although it is below 32.
  EXPECT_EQ(blockBits({{2, -13}}), "1" + escape + "1" + lsbFirst(2, 6) + lsbFirst(13, 9) + "0");
  // (1, 42, 1) is past the table's last-1 runs.
  EXPECT_EQ(blockBits({{42, 1}}), "1" + escape + "1" + lsbFirst(42, 6) + lsbFirst(1, 9) + "1");
}

TEST(BlockBits, PredictionAndClampingKeepTheViewerInStep) {
  int32_t levels[64] = {};
  levels[0] = 600;
  levels[kZigzag[5]] = -700;
  int32_t prediction = -100;
  BitWriter writer;
  writeBlock(writer, levels, prediction);
  // 700 does not fit nine bits: both go out as 511 and the levels say so.
  EXPECT_EQ(levels[0], -100 + 511);
  EXPECT_EQ(prediction, 411);
  EXPECT_EQ(levels[kZigzag[5]], -511);
  EXPECT_EQ(bitString(writer),
            "1"
            "0000011"
            "0" +
                lsbFirst(0, 6) + lsbFirst(511, 9) + "1" +
                "0000011"
                "1" +
                lsbFirst(4, 6) + lsbFirst(511, 9) + "0");
}

TEST(BlockBits, ALoneLevelOfTwoIsNotCoded) {
  const QuantSteps steps(19);
  for (int32_t sign : {1, -1}) {
    int32_t coeff[64] = {};
    coeff[kZigzag[7]] = sign * (2 * kAcStep[19] + 3);
    int32_t levels[64];
    quantiseBlock(coeff, steps, levels);
    EXPECT_EQ(levels[kZigzag[7]], 0);
    EXPECT_EQ(blockBits({{7, levels[kZigzag[7]]}}), "0");
  }
}

std::vector<uint8_t> flatFrame(int width, int height, uint8_t luma) {
  std::vector<uint8_t> frame(frameBytes(width, height), 128);
  std::fill(frame.begin(), frame.begin() + width * height, luma);
  return frame;
}

TEST(PacketBits, FlatGreyAbsolutePacket) {
  VideoEncoder encoder(32, 16);
  const std::vector<uint8_t> frame = flatFrame(32, 16, 128);
  ASSERT_TRUE(encoder.makePacket(PacketKind::Absolute, frame.data(), frame.size(), 0, 0));
  // Header: 1, W/8 = 4, H/8 = 2, q = 13 (the first automatic index).
  std::string expected = "1" + lsbFirst(4, 8) + lsbFirst(2, 8) + lsbFirst(13, 5);
  // First luma block: DC 1023 / 16 = 63, by escape; the other seven
  // predict it exactly and cost one bit each.
  expected +=
      "1"
      "0000011"
      "1" +
      lsbFirst(0, 6) + lsbFirst(63, 9) + "1" + "0000000";
  expected +=
      "00"
      "00";  // chroma at 128 is zero
  std::vector<uint8_t> bytes(encoder.packetByteLength());
  encoder.copyPacket(bytes.data());
  EXPECT_EQ(bitString(bytes, static_cast<size_t>(encoder.packetBitLength())), expected);
  // The unused bits of the last byte are 0.
  EXPECT_EQ(bytes.back() >> (encoder.packetBitLength() % 8), 0);
  // Reconstruction: DC 63 * 16 through the inverse is 125 everywhere.
  for (int32_t v : encoder.reference().plane[0].samples) ASSERT_EQ(v, 125);
  for (int32_t v : encoder.reference().plane[1].samples) ASSERT_EQ(v, 0);
}

TEST(PacketBits, UnchangedFrameGivesTwoBitDifferenceBlocks) {
  VideoEncoder encoder(32, 16);
  const std::vector<uint8_t> frame = flatFrame(32, 16, 128);
  ASSERT_TRUE(encoder.makePacket(PacketKind::Absolute, frame.data(), frame.size(), 0, 13));
  ASSERT_TRUE(encoder.makePacket(PacketKind::Relative, frame.data(), frame.size(), 0, 13));
  // 0, 1, q; then every block: intra 0, coded 0 (the remaining error of 3
  // quantises to a lone 1, and a flat block is never intra).
  std::string expected = "01" + lsbFirst(13, 5);
  for (int block = 0; block < 8 + 2 + 2; ++block) expected += "00";
  std::vector<uint8_t> bytes(encoder.packetByteLength());
  encoder.copyPacket(bytes.data());
  EXPECT_EQ(bitString(bytes, static_cast<size_t>(encoder.packetBitLength())), expected);
}

TEST(PacketBits, ModeChoiceNeedsSpreadBelowTheDistance) {
  int32_t samples[64], reference[64];
  for (int i = 0; i < 64; ++i) {
    samples[i] = (i % 8) * 4;  // even columns 0, 8, 16, 24: deviation 128
    reference[i] = 200;
  }
  EXPECT_TRUE(chooseIntra(samples, reference, 8));
  for (int i = 0; i < 64; ++i) reference[i] = samples[i] + 3;  // SAD 48
  EXPECT_FALSE(chooseIntra(samples, reference, 8));
  for (int i = 0; i < 64; ++i) samples[i] = 100 + (i % 2);  // flat on the even grid: deviation 0
  EXPECT_FALSE(chooseIntra(samples, reference, 8));
}

TEST(PacketBits, RelativePacketIsRefusedBeforeAnAbsoluteOne) {
  VideoEncoder encoder(16, 16);
  const std::vector<uint8_t> frame = flatFrame(16, 16, 90);
  EXPECT_FALSE(encoder.makePacket(PacketKind::Relative, frame.data(), frame.size(), 1000, 0));
  EXPECT_EQ(encoder.packetBitLength(), 0);
  EXPECT_EQ(encoder.rateControl().packetCount(), 0);
  ASSERT_TRUE(encoder.makePacket(PacketKind::Absolute, frame.data(), frame.size(), 1000, 0));
  EXPECT_TRUE(encoder.makePacket(PacketKind::Relative, frame.data(), frame.size(), 1000, 0));
}

TEST(PacketBits, BadArgumentsChangeNothing) {
  VideoEncoder encoder(16, 16);
  const std::vector<uint8_t> frame = flatFrame(16, 16, 90);
  EXPECT_FALSE(encoder.makePacket(PacketKind::Absolute, frame.data(), frame.size() - 1, 0, 0));
  EXPECT_FALSE(encoder.makePacket(PacketKind::Absolute, frame.data(), frame.size(), 0, 20));
  EXPECT_FALSE(encoder.makePacket(PacketKind::Absolute, frame.data(), frame.size(), 0, -1));
  EXPECT_FALSE(encoder.makePacket(PacketKind::Absolute, nullptr, 0, 0, 0));
  EXPECT_TRUE(encoder.needAbsolute());
  EXPECT_EQ(encoder.packetBitLength(), 0);
}

}  // namespace
}  // namespace brevan::videnc
