// The frame conversions: the known answers, what is left unconverted (destination untouched),
// and every layout and kind against the per-pixel model on random frames and sizes, once for each
// form of the loops (plain, SSE2, AVX2, AVX-512) this build and processor have.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "frame_conversion.h"
#include "frame_model.h"
#include "loop_choice.h"

namespace brevan::camcapture::test {
namespace {

using Bytes = std::vector<uint8_t>;
constexpr FrameKind kAllKinds[] = {FrameKind::colour, FrameKind::blackWhite, FrameKind::yuv,
                                   FrameKind::yuv22};

// The destination bytes after a conversion into a buffer pre-filled with 0xA5, sized exactly.
struct Outcome {
  Conversion result;
  Bytes destination;
};
Outcome run(FrameKind kind, const FrameFormat& format, const Bytes& frame, size_t slack = 0) {
  const FrameLayout layout = frameLayout(kind, format);
  std::vector<uint32_t> storage((layout.destinationBytes + slack + 3) / 4 + 4);
  std::memset(storage.data(), 0xA5, storage.size() * 4);
  const size_t size = layout.readable ? size_t(layout.destinationBytes) + slack : 16;
  const Conversion result = convertFrame(kind, format, frame.data(), frame.size(), storage.data(), size);
  Bytes out(size);
  std::memcpy(out.data(), storage.data(), size);
  return {result, out};
}
uint32_t intAt(const Bytes& bytes, size_t index) {
  uint32_t value;
  std::memcpy(&value, bytes.data() + index * 4, 4);
  return value;
}

TEST(FrameConversion, KnownAnswers) {
  // 24-bit, 2 x 2: the first stored row is the bottom of the picture, so it comes out last.
  const Bytes bottomFirst = {10, 20, 30, 40, 50, 60, 1, 2, 3, 4, 5, 6};
  const Outcome colour = run(FrameKind::colour, {kUncompressed, 24, 2, 2}, bottomFirst);
  ASSERT_EQ(colour.result, Conversion::converted);
  EXPECT_EQ(intAt(colour.destination, 0), 0x00030201u);
  EXPECT_EQ(intAt(colour.destination, 2), 0x001E140Au);
  EXPECT_EQ(intAt(colour.destination, 3), 0x003C3228u);

  const Outcome bw = run(FrameKind::blackWhite, {kUncompressed, 16, 1, 1}, {0xFF, 0x7F});
  EXPECT_EQ(bw.destination, Bytes{248});

  const Outcome yuvBlack = run(FrameKind::yuv, {kUncompressed, 32, 1, 1}, {0, 0, 0, 99});
  EXPECT_EQ(yuvBlack.destination, (Bytes{0, 128, 128}));

  const Bytes grey420(6, 128);  // 2 x 2: four luma bytes and one sample per chroma plane
  const Outcome grey = run(FrameKind::colour, {kI420, 12, 2, 2}, grey420);
  for (size_t i = 0; i < 4; ++i) EXPECT_EQ(intAt(grey.destination, i), 0x00808080u);
  EXPECT_EQ(run(FrameKind::yuv22, {kI420, 12, 2, 2}, grey420).destination, grey420);
}

TEST(FrameConversion, PlanarChromaOrderAndYuv22SampleChoice) {
  // YV12 stores V before U; YUV22 output is in I420 order for both inputs.
  const Bytes yv12 = {10, 11, 12, 13, /*V*/ 200, /*U*/ 50};
  EXPECT_EQ(run(FrameKind::yuv22, {kYV12, 12, 2, 2}, yv12).destination,
            (Bytes{10, 11, 12, 13, 50, 200}));
  EXPECT_EQ(run(FrameKind::yuv, {kYV12, 12, 2, 2}, yv12).destination,
            (Bytes{10, 11, 12, 13, 50, 50, 50, 50, 200, 200, 200, 200}));
  // Uncompressed YUV22 takes the first stored pixel of each block: (0,0,0) at the bottom left.
  const Bytes rgb = {0, 0, 0, 255, 255, 255, 255, 255, 255, 255, 255, 255};
  const Outcome out = run(FrameKind::yuv22, {kUncompressed, 24, 2, 2}, rgb);
  EXPECT_EQ(Bytes(out.destination.begin() + 4, out.destination.end()), (Bytes{128, 128}));
}

TEST(FrameConversion, UnreadFormatsAndUnsafeFramesLeaveTheDestinationAlone) {
  struct Case {
    const char* label;
    FrameKind kind;
    FrameFormat format;
    size_t frameBytes;
    Conversion expected;
  };
  const Case cases[] = {
      {"8 bits uncompressed", FrameKind::colour, {kUncompressed, 8, 4, 4}, 64, Conversion::notConverted},
      {"unknown code", FrameKind::yuv, {0x56595559, 16, 4, 4}, 64, Conversion::notConverted},
      {"full chroma black-and-white", FrameKind::blackWhite, {kFullChroma, 16, 4, 4}, 64, Conversion::notConverted},
      {"full chroma yuv", FrameKind::yuv, {kFullChroma, 16, 4, 4}, 64, Conversion::notConverted},
      // 1.5 N bytes, as its own layout says, is short of the 2N + N/4 the colour formula reads.
      {"full chroma at 1.5 N", FrameKind::colour, {kFullChroma, 12, 4, 4}, 24, Conversion::frameTooShort},
      {"24-bit short by one", FrameKind::blackWhite, {kUncompressed, 24, 3, 2}, 17, Conversion::frameTooShort},
      {"I420 short chroma", FrameKind::colour, {kI420, 12, 4, 2}, 11, Conversion::frameTooShort},
      {"I420 odd width", FrameKind::yuv, {kI420, 12, 3, 2}, 64, Conversion::oddSize},
      {"uncompressed yuv22 odd height", FrameKind::yuv22, {kUncompressed, 24, 2, 3}, 64, Conversion::oddSize},
  };
  for (const Case& c : cases) {
    const Outcome out = run(c.kind, c.format, Bytes(c.frameBytes, 7));
    EXPECT_EQ(out.result, c.expected) << c.label;
    EXPECT_EQ(out.destination, Bytes(out.destination.size(), 0xA5)) << c.label;
  }
  // Odd sizes are fine where no 2 x 2 block is read.
  EXPECT_EQ(run(FrameKind::blackWhite, {kI420, 12, 3, 3}, Bytes(9, 1)).result, Conversion::converted);
  EXPECT_EQ(run(FrameKind::colour, {kFullChroma, 0, 3, 3}, Bytes(20, 1)).result, Conversion::converted);
}

TEST(FrameConversion, DestinationShortByOneIsNotWritten) {
  for (FrameKind kind : kAllKinds) {
    const FrameFormat format{kI420, 12, 4, 4};
    const FrameLayout layout = frameLayout(kind, format);
    Bytes frame(24, 9), destination(layout.destinationBytes, 0xA5);
    EXPECT_EQ(convertFrame(kind, format, frame.data(), frame.size(), destination.data(),
                           destination.size() - 1),
              Conversion::destinationTooSmall);
    EXPECT_EQ(destination, Bytes(destination.size(), 0xA5));
  }
}

// One random frame of the layout and size against the model: exact lengths, frames longer than
// needed and, now and then, short by one byte.
void checkAgainstModel(std::mt19937& random, const FrameFormat& format, FrameKind kind) {
  const FrameLayout layout = frameLayout(kind, format);
  Bytes frame(size_t(layout.frameBytes) + random() % 3);
  if (random() % 8 == 0 && layout.frameBytes > 0) frame.resize(size_t(layout.frameBytes) - 1);
  for (uint8_t& byte : frame) byte = uint8_t(random());

  const auto expected = modelConversion(kind, format, frame);
  const Outcome out = run(kind, format, frame);
  SCOPED_TRACE(testing::Message() << "compression 0x" << std::hex << format.compression
                                  << std::dec << " bits " << format.bitsPerPixel << " "
                                  << format.width << "x" << format.height << " kind "
                                  << int(kind));
  if (expected) {
    ASSERT_EQ(out.result, Conversion::converted);
    ASSERT_EQ(out.destination, *expected);
  } else {
    ASSERT_NE(out.result, Conversion::converted);
  }
}

constexpr FrameFormat kModelLayouts[] = {{kUncompressed, 15}, {kUncompressed, 16},
                                         {kUncompressed, 24}, {kUncompressed, 32},
                                         {kI420, 12},         {kYV12, 12},
                                         {kFullChroma, 16}};

// The model tests below run once per form of the loops; a form this build or processor lacks is
// skipped.
class EachLoopForm : public testing::TestWithParam<detail::Loops> {
 protected:
  void SetUp() override {
    if (!detail::loopsAvailable(GetParam())) GTEST_SKIP() << "not in this build or processor";
    before_ = detail::loopsInUse();
    detail::useLoops(GetParam());
  }
  void TearDown() override { detail::useLoops(before_); }

 private:
  detail::Loops before_ = detail::Loops::plain;
};

// Every layout and kind against the model, on random frames and sizes (even and odd, negative
// heights, frames longer than needed and short by one byte).
TEST_P(EachLoopForm, MatchesThePerPixelModel) {
  const unsigned seed = std::random_device{}();
  std::mt19937 random(seed);
  for (int round = 0; round < 300; ++round) {
    FrameFormat format = kModelLayouts[round % 7];
    // Every other round wide enough for the vector groups.
    format.width = int32_t(random() % (round % 2 == 0 ? 13 : 150) + 1);
    format.height = int32_t(random() % 11 + 1) * (random() % 4 == 0 ? -1 : 1);
    const FrameKind kind = kAllKinds[random() % 4];
    SCOPED_TRACE(testing::Message() << "seed " << seed << " round " << round);
    checkAgainstModel(random, format, kind);
    if (HasFatalFailure()) return;
  }
}

// Rows long enough for every vector group (8 to 64 pixels, 8 to 64 blocks of 2 x 2), the narrower
// groups after a wider one, and each tail shorter than a group (or, in planar colour, the
// overlapping group that ends the row), in every layout and kind.
TEST_P(EachLoopForm, WideRowsAndTheirTailsMatchTheModel) {
  const unsigned seed = std::random_device{}();
  std::mt19937 random(seed);
  for (int width = 1; width <= 136; ++width) {
    for (const FrameFormat& layout : kModelLayouts) {
      for (FrameKind kind : kAllKinds) {
        FrameFormat format = layout;
        format.width = width;
        format.height = int32_t(random() % 4 + 1) * 2 - int32_t(random() % 2);
        SCOPED_TRACE(testing::Message() << "seed " << seed);
        checkAgainstModel(random, format, kind);
        if (HasFatalFailure()) return;
      }
    }
  }
}

std::string formName(const testing::TestParamInfo<detail::Loops>& info) {
  const char* names[] = {"plain", "sse2", "avx2", "avx512"};
  return names[int(info.param)];
}
INSTANTIATE_TEST_SUITE_P(FrameConversion, EachLoopForm,
                         testing::Values(detail::Loops::plain, detail::Loops::sse2,
                                         detail::Loops::avx2, detail::Loops::avx512),
                         formName);

}  // namespace
}  // namespace brevan::camcapture::test
