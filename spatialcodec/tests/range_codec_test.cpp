#include <gtest/gtest.h>

#include <string>

#include "byte_compressor.h"
#include "dangerous_size.h"
#include "range_codec.h"
#include "test_support.h"

namespace brevan::spatial {
namespace {

using testing::Bytes;
using testing::hex;

struct Call {
  Bytes source;
  int32_t start;
  int32_t end;
  Bytes destination;
  int32_t offset;
  int32_t capacity;

  RangeCall view() {
    return {source.data(),      source.size(),      start,  end,
            destination.data(), destination.size(), offset, capacity};
  }
};

Call wholeRange(const Bytes& source, int32_t capacity, int32_t offset = 0) {
  return {source, 0,       int32_t(source.size()), Bytes(size_t(offset + capacity), 0xCC),
          offset, capacity};
}

size_t compressedSize(const Bytes& in) {
  Bytes out;
  compressBytes(in.data(), in.size(), size_t(1) << 30, out);
  return out.size();
}

TEST(RangeCodec, PlacesTheResultAtTheOffset) {
  Call call{testing::bytesOf("xxabcyy"), 2, 5, Bytes(40, 0xCC), 3, 30};
  const RangeOutcome outcome = encodeRange(call.view());
  ASSERT_EQ(outcome.result, 15);
  EXPECT_FALSE(outcome.dangerousSize);
  EXPECT_EQ(Bytes(call.destination.begin() + 3, call.destination.begin() + 18),
            hex("3F007F24 34918409 3F2C3BF8 3FB702"));
  EXPECT_EQ(call.destination[2], 0xCC);
  EXPECT_EQ(call.destination[18], 0xCC);

  Call back{call.destination, 3, 18, Bytes(10, 0xCC), 1, 3};
  ASSERT_EQ(decodeRange(back.view()).result, 3);
  EXPECT_EQ(back.destination, hex("CC 616263 CCCCCCCCCCCC"));
}

TEST(RangeCodec, CapacityRules) {
  const Bytes noise = testing::randomBytes(1000, 21);
  const int32_t size = int32_t(compressedSize(noise));
  ASSERT_GT(size, 1000) << "noise grows a little";

  Call fits = wholeRange(noise, size);
  EXPECT_EQ(encodeRange(fits.view()).result, size);

  // One byte over the capacity: -1, nothing copied, no warning.
  Call over = wholeRange(noise, size - 1);
  const RangeOutcome outcome = encodeRange(over.view());
  EXPECT_EQ(outcome.result, -1);
  EXPECT_FALSE(outcome.dangerousSize);
  EXPECT_TRUE(std::all_of(over.destination.begin(), over.destination.end(),
                          [](uint8_t b) { return b == 0xCC; }));

  // A capacity below the input's length is refused before any work.
  EXPECT_EQ(encodeRange(wholeRange(noise, 999).view()).result, -1);
  // A capacity equal to the input's length passes that first check.
  const Bytes zeros(1000, 0);
  EXPECT_GT(encodeRange(wholeRange(zeros, 1000).view()).result, 0);
}

TEST(RangeCodec, DecodingFarPastTheCapacityRaisesTheWarning) {
  Bytes coded(64);
  Call encodeCall = wholeRange(Bytes(10000, 0), 10000);
  const int32_t n = encodeRange(encodeCall.view()).result;
  ASSERT_GT(n, 0);
  encodeCall.destination.resize(size_t(n));

  // Threshold: capacity + (capacity/2 + 100)/2.
  Call tiny = wholeRange(encodeCall.destination, 10);
  EXPECT_EQ(decodeRange(tiny.view()).result, -1);
  EXPECT_TRUE(decodeRange(tiny.view()).dangerousSize);
  Call near = wholeRange(encodeCall.destination, 7950);  // 7950 + 2037 = 9987 < 10000
  EXPECT_TRUE(decodeRange(near.view()).dangerousSize);
  Call within = wholeRange(encodeCall.destination, 7990);  // 7990 + 2047 = 10037
  const RangeOutcome outcome = decodeRange(within.view());
  EXPECT_EQ(outcome.result, -1);
  EXPECT_FALSE(outcome.dangerousSize);
}

TEST(RangeCodec, BadRangesAndStreamsGiveMinusOne) {
  const Bytes abc = hex("3F007F24 34918409 3F2C3BF8 3FB702");
  struct Case {
    const char* label;
    Call call;
  };
  Case cases[] = {
      {"start past end", {abc, 5, 4, Bytes(20), 0, 20}},
      {"negative start", {abc, -1, 4, Bytes(20), 0, 20}},
      {"end past the array", {abc, 0, 16, Bytes(20), 0, 20}},
      {"negative offset", {abc, 0, 15, Bytes(20), -1, 20}},
      {"negative capacity", {abc, 0, 15, Bytes(20), 0, -5}},
      {"result past the destination", {abc, 0, 15, Bytes(4), 2, 20}},
      {"not a stream", {Bytes(40, 0xFF), 0, 40, Bytes(20), 0, 20}},
  };
  for (Case& c : cases) {
    const RangeOutcome outcome = decodeRange(c.call.view());
    EXPECT_EQ(outcome.result, -1) << c.label;
    EXPECT_FALSE(outcome.dangerousSize) << c.label;
  }
  Call encodePastDestination{testing::bytesOf("abc"), 0, 3, Bytes(10), 0, 30};
  EXPECT_EQ(encodeRange(encodePastDestination.view()).result, -1);
}

std::string lastText;
std::string lastCaption;
void recordNotice(const char* text, const char* caption) {
  lastText = text;
  lastCaption = caption;
}

TEST(DangerousSize, NotifierCanBeReplacedAndRestored) {
  const SizeNotifier previous = setSizeNotifier(recordNotice);
  EXPECT_EQ(previous, &platformSizeNotifier);
  notifyDangerousSize();
  EXPECT_EQ(lastText, "Dangerous size");
  EXPECT_EQ(lastCaption, "Dangerous Size");
  EXPECT_EQ(setSizeNotifier(nullptr), &recordNotice);
  EXPECT_EQ(setSizeNotifier(nullptr), &platformSizeNotifier);
}

}  // namespace
}  // namespace brevan::spatial
