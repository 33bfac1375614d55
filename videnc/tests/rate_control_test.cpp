#include <gtest/gtest.h>

#include <vector>

#include "rate_control.h"
#include "video_encoder.h"

namespace brevan::videnc {
namespace {

TEST(RateControl, StepsFollowTheRatioTable) {
  EXPECT_EQ(nextQuantIndex(5, 0, 1000), 13);     // no history yet
  EXPECT_EQ(nextQuantIndex(5, 900, 0), 13);      // no target
  EXPECT_EQ(nextQuantIndex(13, 1100, 1000), 9);  // 1.1: /R[12], /R[11], /R[10]
  EXPECT_EQ(nextQuantIndex(13, 1000, 1000), 14);
  EXPECT_EQ(nextQuantIndex(13, 1001, 1000), 11);  // one step, then one more divide
  EXPECT_EQ(nextQuantIndex(13, 999, 1000), 15);
  EXPECT_EQ(nextQuantIndex(0, 900000, 1000), 0);
  EXPECT_EQ(nextQuantIndex(1, 900000, 1000), 0);
  EXPECT_EQ(nextQuantIndex(19, 1, 1000), 19);
  EXPECT_EQ(nextQuantIndex(18, 1, 1000), 19);
}

TEST(RateControl, HistoryAveragesTheLastPackets) {
  RateControl rate;
  EXPECT_EQ(rate.chooseIndex(1000, 0), 13);
  const int sizes[] = {100, 200, 300, 400, 500, 600, 700};
  std::vector<int32_t> expected = {100, 150, 200, 250, 300, 400, 500};
  for (size_t i = 0; i < 7; ++i) {
    rate.recordPacket(sizes[i]);
    EXPECT_EQ(rate.averageBits(), expected[i]) << i;
  }
  // A fixed index is used as given and leaves the history alone.
  EXPECT_EQ(rate.chooseIndex(1000, 4), 4);
  EXPECT_EQ(rate.quantIndex(), 4);
}

TEST(RateControl, LongerHistoryAfterFivePacketsKeepsThemAndFillsToEight) {
  RateControl rate;
  for (int b : {10, 20, 30, 40, 50}) rate.recordPacket(b);
  rate.setAveragedFrames(8);
  EXPECT_EQ(rate.averagedFrames(), 8);
  EXPECT_EQ(rate.packetCount(), 5);
  rate.recordPacket(60);
  EXPECT_EQ(rate.averageBits(), 210 / 6);
  rate.recordPacket(70);
  rate.recordPacket(80);
  EXPECT_EQ(rate.averageBits(), 360 / 8);
  rate.recordPacket(90);  // replaces the oldest, 10
  EXPECT_EQ(rate.averageBits(), 440 / 8);
}

TEST(RateControl, ShorterHistoryAveragesOnlyWhatItKeeps) {
  RateControl rate;
  for (int b : {10, 20, 30, 40, 50}) rate.recordPacket(b);
  rate.setAveragedFrames(2);  // keeps 10 and 20
  rate.recordPacket(100);     // replaces 10
  EXPECT_EQ(rate.averageBits(), 60);
  rate.recordPacket(200);  // replaces 20
  EXPECT_EQ(rate.averageBits(), 150);
}

TEST(RateControl, EncoderUsesIndexThirteenFirstAndItsSizeAsAverage) {
  VideoEncoder encoder(32, 32);
  std::vector<uint8_t> frame(frameBytes(32, 32));
  for (size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<uint8_t>(i * 7);
  ASSERT_TRUE(encoder.makePacket(PacketKind::Absolute, frame.data(), frame.size(), 100, 0));
  EXPECT_EQ(encoder.rateControl().quantIndex(), 13);
  EXPECT_EQ(encoder.rateControl().averageBits(), encoder.packetBitLength());
  // Far above the target: the next packet steps to a coarser index.
  ASSERT_TRUE(encoder.makePacket(PacketKind::Relative, frame.data(), frame.size(), 100, 0));
  EXPECT_LT(encoder.rateControl().quantIndex(), 13);
  // A fixed index does not enter the history.
  const int32_t average = encoder.rateControl().averageBits();
  ASSERT_TRUE(encoder.makePacket(PacketKind::Absolute, frame.data(), frame.size(), 100, 19));
  EXPECT_EQ(encoder.rateControl().averageBits(), average);
  EXPECT_EQ(encoder.rateControl().packetCount(), 2);
}

}  // namespace
}  // namespace brevan::videnc
