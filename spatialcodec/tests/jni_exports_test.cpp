// The JNI exports as the Java side calls them, through the test JNI host:
// the shared object natively, SpatialCodec.dll under Wine.
#include <gtest/gtest.h>

#include <jni.h>

#include <algorithm>

#include "image_test_support.h"
#include "jnitest/fake_jvm.h"
#include "jnitest/library.h"
#include "test_support.h"

namespace {

using brevan::spatial::testing::Bytes;
using brevan::spatial::testing::hex;

using RangeFn = jint(JNICALL*)(JNIEnv*, jobject, jbyteArray, jint, jint, jbyteArray, jint, jint,
                               jint, jint);
using IndexFn = jint(JNICALL*)(JNIEnv*, jobject);
using IndexVoidFn = void(JNICALL*)(JNIEnv*, jobject, jint);
using ReleaseFn = jboolean(JNICALL*)(JNIEnv*, jobject, jint);
using BitsFn = void(JNICALL*)(JNIEnv*, jobject, jint, jint);
using EncodeImageFn = jint(JNICALL*)(JNIEnv*, jobject, jintArray, jint, jint, jint, jint,
                                     jbyteArray, jint, jint, jint);
using DecodeImageFn = jint(JNICALL*)(JNIEnv*, jobject, jbyteArray, jint, jint, jintArray, jint,
                                     jint, jint, jint, jint);

constexpr const char* kPrefix = "Java_zemtra_nativeCode_SpatialCompression_";

class SpatialJni : public ::testing::Test {
 protected:
  template <typename Fn>
  Fn method(const char* name) {
    return lib.get<Fn>((std::string(kPrefix) + name).c_str());
  }

  // Runs encode or decode over the whole of `source`; the result and the
  // bytes placed are returned.
  jint range(RangeFn fn, const Bytes& source, jint capacity, Bytes& placed) {
    jbyteArray src = jvm.newByteArray(source);
    jbyteArray dst = jvm.newByteArray(Bytes(size_t(capacity) + 4, 0xCC));
    const jint n = fn(env, nullptr, src, 0, jint(source.size()), dst, 4, capacity, 0, 0);
    const Bytes& out = jvm.bytes(dst);
    placed.assign(out.begin() + 4, out.begin() + 4 + std::max<jint>(n, 0));
    return n;
  }

  brevan::jnitest::Library lib{"SpatialCodec"};
  brevan::jnitest::FakeJvm jvm;
  JNIEnv* env = jvm.env();
  RangeFn encode = method<RangeFn>("encode");
  RangeFn decode = method<RangeFn>("decode");
};

TEST_F(SpatialJni, EncodeAndDecodeByteRanges) {
  Bytes coded;
  EXPECT_EQ(range(encode, brevan::spatial::testing::bytesOf("abc"), 100, coded), 15);
  EXPECT_EQ(coded, hex("3F007F24 34918409 3F2C3BF8 3FB702"));
  Bytes back;
  EXPECT_EQ(range(decode, coded, 100, back), 3);
  EXPECT_EQ(back, brevan::spatial::testing::bytesOf("abc"));

  EXPECT_EQ(range(encode, {}, 0, coded), -1) << "two bytes do not fit a capacity of 0";
  EXPECT_EQ(range(encode, {}, 2, coded), 2);
  EXPECT_EQ(coded, hex("0002"));

  const Bytes file =
      brevan::spatial::testing::readFile("/usr/share/common-licenses/GPL-3", 1 << 20);
  ASSERT_FALSE(file.empty());
  ASSERT_GT(range(encode, file, jint(file.size()), coded), 0);
  EXPECT_EQ(range(decode, coded, jint(file.size()), back), jint(file.size()));
  EXPECT_EQ(back, file);
  EXPECT_EQ(jvm.pinnedBuffers(), 0u);
}

TEST_F(SpatialJni, BadCallsGiveMinusOneAndLeaveTheProcessRunning) {
  Bytes placed;
  EXPECT_EQ(range(encode, Bytes(50, 1), 49, placed), -1) << "capacity below the input";
  EXPECT_EQ(range(decode, Bytes(64, 0xFF), 100, placed), -1) << "not a stream";
  EXPECT_EQ(range(decode, hex("52C30000"), 100, placed), -1);

  jbyteArray src = jvm.newByteArray(Bytes(10, 0));
  jbyteArray dst = jvm.newByteArray(Bytes(10, 0));
  EXPECT_EQ(encode(env, nullptr, src, 0, 11, dst, 0, 100, 0, 0), -1) << "end past the array";
  EXPECT_EQ(encode(env, nullptr, src, 0, 10, dst, 8, 100, 0, 0), -1) << "result past the array";
  EXPECT_EQ(decode(env, nullptr, src, -3, 10, dst, 0, 10, 0, 0), -1);
  EXPECT_EQ(encode(env, nullptr, nullptr, 0, 0, dst, 0, 10, 0, 0), -1);
  EXPECT_EQ(jvm.bytes(dst), Bytes(10, 0));
  EXPECT_EQ(jvm.pinnedBuffers(), 0u);
}

TEST_F(SpatialJni, ImageFilterThroughTheExports) {
  const auto get = method<IndexFn>("getImageFilterIndex");
  const auto release = method<ReleaseFn>("releaseImageFilterIndex");
  const auto reset = method<IndexVoidFn>("resetImageFilterIndex");
  const auto bits = method<BitsFn>("setBitsPerColor");
  const auto encodeImage = method<EncodeImageFn>("encodeImageFilterFull");
  const auto decodeImage = method<DecodeImageFn>("decodeImageFilterFull");

  const jint enc = get(env, nullptr);
  const jint dec = get(env, nullptr);
  ASSERT_GE(enc, 0);
  ASSERT_GE(dec, 0);
  bits(env, nullptr, 5, enc);
  bits(env, nullptr, 5, dec);
  const int w = 160, h = 100;
  jbyteArray coded = jvm.newByteArray(Bytes(4 * w * h, 0));
  for (uint32_t frame = 0; frame < 3; ++frame) {
    const std::vector<uint32_t> px = brevan::spatial::testing::desktopFrame(w, h, frame);
    jintArray pixels = jvm.newIntArray(std::vector<jint>(px.begin(), px.end()));
    const jint end = encodeImage(env, nullptr, pixels, 0, w, h, w, coded, 1000, 2 + 4 * w * h, enc);
    ASSERT_GT(end, 1000);
    jintArray target = jvm.newIntArray(std::vector<jint>(size_t(w) * h, 0));
    ASSERT_EQ(decodeImage(env, nullptr, coded, 0, end - 1000, target, 0, w, h, w, dec), w * h);
    const std::vector<jint>& back = jvm.ints(target);
    // First decoded row is the last coded one, 5 bits per colour.
    EXPECT_EQ(uint32_t(back[0]) & 0xF8F8F8, uint32_t(back[0]));
    EXPECT_EQ(back[0], back[0] & 0xFFFFFF);
    EXPECT_EQ(uint32_t(back[size_t(h - 1) * w]) >> 24, 0u);
  }

  jintArray small = jvm.newIntArray(std::vector<jint>(10, 0));
  EXPECT_EQ(encodeImage(env, nullptr, small, 0, 4, 3, 4, coded, 0, 50, enc), -1)
      << "past the array";
  EXPECT_EQ(encodeImage(env, nullptr, small, 0, 2, 2, 2, coded, 0, 50, 10), -1) << "index 10";
  EXPECT_EQ(decodeImage(env, nullptr, coded, 0, 40, small, 0, 2, 2, 2, -1), -1) << "index -1";
  EXPECT_EQ(decodeImage(env, nullptr, coded, 0, 1 << 20, small, 0, 2, 2, 2, dec), -1);

  reset(env, nullptr, enc);
  reset(env, nullptr, 77);
  EXPECT_TRUE(release(env, nullptr, enc));
  EXPECT_FALSE(release(env, nullptr, enc));
  EXPECT_TRUE(release(env, nullptr, dec));
  EXPECT_EQ(jvm.pinnedBuffers(), 0u);
}

TEST_F(SpatialJni, FilterIndexesRunOutAtTen) {
  const auto get = method<IndexFn>("getImageFilterIndex");
  const auto release = method<ReleaseFn>("releaseImageFilterIndex");
  std::vector<jint> taken;
  for (int i = 0; i < 10; ++i) taken.push_back(get(env, nullptr));
  EXPECT_EQ(get(env, nullptr), -1);
  EXPECT_EQ(taken, (std::vector<jint>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
  EXPECT_TRUE(release(env, nullptr, 4));
  EXPECT_EQ(get(env, nullptr), 4);
  for (jint index : taken) EXPECT_TRUE(release(env, nullptr, index));
}

TEST_F(SpatialJni, BlockSetCallsDoNothing) {
  EXPECT_EQ(method<jboolean(JNICALL*)(JNIEnv*, jobject, jint, jint, jint)>("initializeBlockSet")(
                env, nullptr, 1, 2, 3),
            JNI_TRUE);
  EXPECT_EQ(method<jboolean(JNICALL*)(JNIEnv*, jobject, jint, jint)>("doesBlockSetExist")(
                env, nullptr, 1, 2),
            JNI_FALSE);
  method<void(JNICALL*)(JNIEnv*, jobject, jint, jint)>("terminateBlockSet")(env, nullptr, 1, 2);
  method<void(JNICALL*)(JNIEnv*, jobject)>("terminateAllBlockSets")(env, nullptr);
}

}  // namespace
