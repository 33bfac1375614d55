// The exports of VidEnc as VideoEncoderNative calls them, through the test
// JNI host: natively on libVidEnc.so and under Wine on VidEnc.dll.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "decoder/packet_decoder.h"
#include "jnitest/fake_jvm.h"
#include "jnitest/library.h"
#include "planes.h"
#include "video_encoder.h"

namespace {

using brevan::videnc::frameBytes;

using NewSlot = jint(JNICALL*)(JNIEnv*, jobject, jint, jint);
using SlotCall = void(JNICALL*)(JNIEnv*, jobject, jint);
using SlotQuery = jint(JNICALL*)(JNIEnv*, jobject, jint);
using UpdateData = void(JNICALL*)(JNIEnv*, jobject, jbyteArray, jint);
using UpdateFromFile = jboolean(JNICALL*)(JNIEnv*, jobject, jstring, jint, jint);
using TwoInts = void(JNICALL*)(JNIEnv*, jobject, jint, jint);
using MakePacket = jboolean(JNICALL*)(JNIEnv*, jobject, jint, jbyteArray, jint, jint);
using PacketData = jboolean(JNICALL*)(JNIEnv*, jobject, jbyteArray, jint);

class VidEncExports : public testing::Test {
 protected:
  brevan::jnitest::FakeJvm jvm;
  JNIEnv* env = jvm.env();
  brevan::jnitest::Library lib{"VidEnc"};
  NewSlot newEncoder = method<NewSlot>("newEncoder");
  SlotCall deleteEncoder = method<SlotCall>("deleteEncoder");
  NewSlot newImageDataSource = method<NewSlot>("newImageDataSource");
  SlotCall deleteImageDataSource = method<SlotCall>("deleteImageDataSource");
  UpdateData updateDataYUV22 = method<UpdateData>("updateDataYUV22");
  UpdateFromFile updateDataFromFileYUV22 = method<UpdateFromFile>("updateDataFromFileYUV22");
  TwoInts setImageDataSource = method<TwoInts>("setImageDataSource");
  TwoInts setAveragedFrames = method<TwoInts>("setAveragedFrames");
  SlotQuery getAveragedFrames = method<SlotQuery>("getAveragedFrames");
  MakePacket makeAbsolutePacket = method<MakePacket>("makeAbsolutePacket");
  MakePacket makeRelativePacket = method<MakePacket>("makeRelativePacket");
  SlotQuery getPacketBitLength = method<SlotQuery>("getPacketBitLength");
  PacketData getPacketData = method<PacketData>("getPacketData");

  template <class F>
  F method(const char* name) {
    return lib.nativeMethod<F>("VideoEncoderNative", name);
  }

  std::vector<uint8_t> packet(jint encoder) {
    const jint bits = getPacketBitLength(env, nullptr, encoder);
    jbyteArray out = jvm.newByteArray(std::vector<uint8_t>((bits + 7) / 8, 0xee));
    EXPECT_TRUE(getPacketData(env, nullptr, out, encoder));
    return jvm.bytes(out);
  }

  // The quantiser index from a packet's header.
  static int quantOf(const std::vector<uint8_t>& bytes, bool absolute) {
    const int first = absolute ? 17 : 2;
    int q = 0;
    for (int i = 0; i < 5; ++i) q |= ((bytes[(first + i) / 8] >> ((first + i) % 8)) & 1) << i;
    return q;
  }

  static std::vector<uint8_t> sceneFrame(int width, int height, int t) {
    std::vector<uint8_t> frame(frameBytes(width, height));
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x)
        frame[y * width + x] = static_cast<uint8_t>((x * 3 + y * 2 + t * 5) ^ (x * y / 7));
    }
    for (size_t i = width * height; i < frame.size(); ++i)
      frame[i] = static_cast<uint8_t>(128 + (i % 17) - t);
    return frame;
  }
};

TEST_F(VidEncExports, AnswersTheHostProbe) {
  auto probe = lib.get<uint32_t (*)()>("RNIGetCompatibleVersion");
  EXPECT_EQ(probe(), 0x00020000u);
}

TEST_F(VidEncExports, EncoderSlotsAndSizeLimits) {
  for (auto size :
       {std::pair{0, 16}, {16, 0}, {-16, 16}, {24, 16}, {16, 40}, {2048, 16}, {16, 2056}}) {
    EXPECT_EQ(newEncoder(env, nullptr, size.first, size.second), -1)
        << size.first << "x" << size.second;
  }
  std::vector<jint> slots;
  for (int i = 0; i < 10; ++i) slots.push_back(newEncoder(env, nullptr, i % 2 ? 2032 : 16, 16));
  for (int i = 0; i < 10; ++i) EXPECT_EQ(slots[i], i);
  EXPECT_EQ(newEncoder(env, nullptr, 16, 16), -1);
  deleteEncoder(env, nullptr, 4);
  EXPECT_EQ(newEncoder(env, nullptr, 32, 32), 4);
  for (jint slot : slots) deleteEncoder(env, nullptr, slot);
  deleteEncoder(env, nullptr, 4);  // already empty
  deleteEncoder(env, nullptr, -1);
  deleteEncoder(env, nullptr, 10);
}

TEST_F(VidEncExports, PacketsMatchTheCoreBitForBit) {
  const int w = 64, h = 48;
  const jint encoder = newEncoder(env, nullptr, w, h);
  ASSERT_GE(encoder, 0);
  brevan::videnc::VideoEncoder core(w, h);
  brevan::videnc::PacketDecoder decoder;
  jbyteArray frameArray = jvm.newByteArray(sceneFrame(w, h, 0));
  // A relative packet before any absolute one: refused, nothing made.
  EXPECT_FALSE(makeRelativePacket(env, nullptr, encoder, frameArray, 4000, 0));
  EXPECT_EQ(getPacketBitLength(env, nullptr, encoder), 0);
  for (int t = 0; t < 6; ++t) {
    const std::vector<uint8_t> frame = sceneFrame(w, h, t);
    jvm.bytes(frameArray) = frame;
    const bool absolute = t % 3 == 0;
    const MakePacket make = absolute ? makeAbsolutePacket : makeRelativePacket;
    ASSERT_TRUE(make(env, nullptr, encoder, frameArray, 4000, t == 4 ? 17 : 0));
    ASSERT_TRUE(core.makePacket(
        absolute ? brevan::videnc::PacketKind::Absolute : brevan::videnc::PacketKind::Relative,
        frame.data(), frame.size(), 4000, t == 4 ? 17 : 0));
    const std::vector<uint8_t> bytes = packet(encoder);
    std::vector<uint8_t> expected(core.packetByteLength());
    core.copyPacket(expected.data());
    ASSERT_EQ(bytes, expected) << "frame " << t;
    ASSERT_EQ(decoder.decode(bytes.data(), getPacketBitLength(env, nullptr, encoder)),
              brevan::videnc::DecodeStatus::Ok);
    EXPECT_TRUE(decoder.planes().plane[0].samples == core.reference().plane[0].samples);
  }
  EXPECT_EQ(jvm.pinnedBuffers(), 0u);
  deleteEncoder(env, nullptr, encoder);
}

TEST_F(VidEncExports, RateControlSteps) {
  const jint encoder = newEncoder(env, nullptr, 64, 48);
  jbyteArray frame = jvm.newByteArray(sceneFrame(64, 48, 1));
  ASSERT_TRUE(makeAbsolutePacket(env, nullptr, encoder, frame, 1000, 0));
  EXPECT_EQ(quantOf(packet(encoder), true), 13);
  const jint first = getPacketBitLength(env, nullptr, encoder);
  // The average (the one packet so far) 1.1 times the target: index 9.
  ASSERT_TRUE(
      makeRelativePacket(env, nullptr, encoder, frame, static_cast<jint>(first / 1.1 + 0.5), 0));
  EXPECT_EQ(quantOf(packet(encoder), false), 9);
  deleteEncoder(env, nullptr, encoder);

  const jint again = newEncoder(env, nullptr, 64, 48);
  ASSERT_TRUE(makeAbsolutePacket(env, nullptr, again, frame, 1000, 0));
  const jint size = getPacketBitLength(env, nullptr, again);
  ASSERT_TRUE(makeAbsolutePacket(env, nullptr, again, frame, size, 0));  // average equals target
  EXPECT_EQ(quantOf(packet(again), true), 14);
  deleteEncoder(env, nullptr, again);
}

TEST_F(VidEncExports, AveragedFrames) {
  const jint encoder = newEncoder(env, nullptr, 16, 16);
  EXPECT_EQ(getAveragedFrames(env, nullptr, encoder), 5);
  jbyteArray frame = jvm.newByteArray(sceneFrame(16, 16, 2));
  for (int i = 0; i < 5; ++i) ASSERT_TRUE(makeAbsolutePacket(env, nullptr, encoder, frame, 300, 0));
  setAveragedFrames(env, nullptr, encoder, 8);
  EXPECT_EQ(getAveragedFrames(env, nullptr, encoder), 8);
  for (int i = 0; i < 5; ++i) ASSERT_TRUE(makeAbsolutePacket(env, nullptr, encoder, frame, 300, 0));
  // A history needs an entry: 0 and negative counts are ignored.
  setAveragedFrames(env, nullptr, encoder, 0);
  setAveragedFrames(env, nullptr, encoder, -3);
  EXPECT_EQ(getAveragedFrames(env, nullptr, encoder), 8);
  ASSERT_TRUE(makeAbsolutePacket(env, nullptr, encoder, frame, 300, 0));
  deleteEncoder(env, nullptr, encoder);
}

TEST_F(VidEncExports, BadArgumentsGiveTheFailureValue) {
  const jint encoder = newEncoder(env, nullptr, 32, 16);
  jbyteArray frame = jvm.newByteArray(sceneFrame(32, 16, 0));
  jbyteArray shortFrame = jvm.newByteArray(std::vector<uint8_t>(frameBytes(32, 16) - 1, 7));
  for (jint slot : {-1, 10, 9, 1 << 30}) {
    EXPECT_FALSE(makeAbsolutePacket(env, nullptr, slot, frame, 100, 0)) << slot;
    EXPECT_FALSE(makeRelativePacket(env, nullptr, slot, frame, 100, 0)) << slot;
    EXPECT_EQ(getPacketBitLength(env, nullptr, slot), -1) << slot;
    EXPECT_EQ(getAveragedFrames(env, nullptr, slot), -1) << slot;
    EXPECT_FALSE(getPacketData(env, nullptr, jvm.newByteArray({0}), slot)) << slot;
    setAveragedFrames(env, nullptr, slot, 3);
    setImageDataSource(env, nullptr, 0, slot);
    setImageDataSource(env, nullptr, slot, encoder);
    updateDataYUV22(env, nullptr, frame, slot);
    deleteImageDataSource(env, nullptr, slot);
  }
  EXPECT_FALSE(makeAbsolutePacket(env, nullptr, encoder, shortFrame, 100, 0));
  EXPECT_FALSE(makeAbsolutePacket(env, nullptr, encoder, nullptr, 100, 0));
  EXPECT_FALSE(makeAbsolutePacket(env, nullptr, encoder, frame, 100, 20));
  EXPECT_FALSE(makeAbsolutePacket(env, nullptr, encoder, frame, 100, -1));
  EXPECT_EQ(getPacketBitLength(env, nullptr, encoder), 0);
  ASSERT_TRUE(makeAbsolutePacket(env, nullptr, encoder, frame, 100, 19));
  const jint bits = getPacketBitLength(env, nullptr, encoder);
  jbyteArray tooSmall = jvm.newByteArray(std::vector<uint8_t>((bits + 7) / 8 - 1, 0x55));
  EXPECT_FALSE(getPacketData(env, nullptr, tooSmall, encoder));
  EXPECT_EQ(jvm.bytes(tooSmall), std::vector<uint8_t>((bits + 7) / 8 - 1, 0x55));
  EXPECT_FALSE(getPacketData(env, nullptr, nullptr, encoder));
  // The unused bits of the last byte are 0.
  const std::vector<uint8_t> bytes = packet(encoder);
  if (bits % 8 != 0) {
    EXPECT_EQ(bytes.back() >> (bits % 8), 0);
  }
  EXPECT_EQ(jvm.pinnedBuffers(), 0u);
  deleteEncoder(env, nullptr, encoder);
}

TEST_F(VidEncExports, ImageDataSources) {
  for (auto size : {std::pair{0, 2}, {2, -2}, {1 << 20, 2}})
    EXPECT_EQ(newImageDataSource(env, nullptr, size.first, size.second), -1);
  std::vector<jint> slots;
  for (int i = 0; i < 10; ++i) slots.push_back(newImageDataSource(env, nullptr, 16, 16));
  EXPECT_EQ(slots.back(), 9);
  EXPECT_EQ(newImageDataSource(env, nullptr, 16, 16), -1);
  for (int i = 1; i < 10; ++i) deleteImageDataSource(env, nullptr, slots[i]);
  const jint source = slots[0];
  const jint encoder = newEncoder(env, nullptr, 16, 16);
  setImageDataSource(env, nullptr, source, encoder);
  updateDataYUV22(env, nullptr, jvm.newByteArray(std::vector<uint8_t>(frameBytes(16, 16), 1)),
                  source);
  updateDataYUV22(env, nullptr, jvm.newByteArray({1, 2, 3}), source);  // short: ignored
  updateDataYUV22(env, nullptr, nullptr, source);

  const std::string dir = BREVAN_BINARY_DIR;
  const std::string full = dir + "/videnc_jni_frame7.yuv", cut = dir + "/videnc_jni_frame8.yuv";
  std::ofstream(full, std::ios::binary) << std::string(frameBytes(16, 16), 'x');
  std::ofstream(cut, std::ios::binary) << std::string(frameBytes(16, 16) - 1, 'x');
  const std::string format = brevan::jnitest::hostPath(dir) + "/videnc_jni_frame%d.yuv";
  EXPECT_TRUE(updateDataFromFileYUV22(env, nullptr, jvm.newStringUtf(format), 7, source));
  EXPECT_FALSE(updateDataFromFileYUV22(env, nullptr, jvm.newStringUtf(format), 8, source));
  EXPECT_FALSE(updateDataFromFileYUV22(env, nullptr, jvm.newStringUtf(format), 9,
                                       source));  // FILE NOT FOUND
  EXPECT_FALSE(updateDataFromFileYUV22(env, nullptr, jvm.newStringUtf(format + "%s"), 7, source));
  EXPECT_FALSE(updateDataFromFileYUV22(env, nullptr, jvm.newStringUtf("%n%n%n"), 7, source));
  EXPECT_FALSE(updateDataFromFileYUV22(env, nullptr, nullptr, 7, source));
  EXPECT_FALSE(
      updateDataFromFileYUV22(env, nullptr, jvm.newStringUtf(format), 7, 5));  // deleted slot
  std::remove(full.c_str());
  std::remove(cut.c_str());
  // Deleting the attached source leaves the encoder working.
  deleteImageDataSource(env, nullptr, source);
  EXPECT_TRUE(
      makeAbsolutePacket(env, nullptr, encoder, jvm.newByteArray(sceneFrame(16, 16, 3)), 100, 0));
  deleteEncoder(env, nullptr, encoder);
  EXPECT_EQ(jvm.pinnedBuffers(), 0u);
}

}  // namespace
