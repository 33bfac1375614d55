#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

#include "filter_table.h"
#include "image_codec.h"
#include "image_filter.h"
#include "image_test_support.h"
#include "lz_run_coder.h"
#include "test_support.h"

namespace brevan::spatial {
namespace {

using testing::Bytes;
using testing::hex;
using Pixels = std::vector<uint32_t>;

Bytes pixelStream(ImageFilter& filter, const Pixels& px) {
  Bytes stream(pixelStreamBound(px.size()));
  stream.resize(filter.encode(px.data(), px.size(), stream.data()));
  return stream;
}

PixelRect compact(int64_t width, int64_t height) { return {0, width, height, width}; }

// Codes a compact rectangle through the table; the coded image or empty on failure.
Bytes encode(FilterTable& table, int index, const Pixels& px, int64_t width, int64_t height) {
  Bytes out(lzCompressBound(pixelStreamBound(px.size())));
  const int64_t n = encodeImage(table, index, {px.data(), px.size()}, compact(width, height),
                                {out.data(), out.size()}, int64_t(pixelStreamBound(px.size())));
  out.resize(n < 0 ? 0 : size_t(n));
  return out;
}

int64_t decode(FilterTable& table, int index, const Bytes& coded, Pixels& px, int64_t width,
               int64_t height) {
  return decodeImage(table, index, {coded.data(), coded.size()}, 0, int64_t(coded.size()),
                     {px.data(), px.size()}, compact(width, height));
}

Pixels flipped(const Pixels& px, int width, int height, const ImageFilter& quantiser) {
  Pixels out(px.size());
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      out[size_t(height - 1 - y) * width + x] = quantiser.quantise(px[size_t(y) * width + x]);
  return out;
}

TEST(ImageFilter, QuantisesToTheBitsPerColour) {
  ImageFilter f;
  EXPECT_EQ(f.colorMask(), 0xE0E0E0u);
  EXPECT_EQ(f.roundingAdd(), 0x101010u);
  EXPECT_EQ(f.quantise(0xFF8010), 0xE08020u);
  EXPECT_EQ(f.quantise(0xF0F0F0), 0xFFFFFFu);
  EXPECT_EQ(f.quantise(0xAB000000), 0u);
  f.setBitsPerColor(8);
  EXPECT_EQ(f.colorMask(), 0xFFFFFFu);
  EXPECT_EQ(f.roundingAdd(), 0u);
  EXPECT_EQ(f.quantise(0xFF123456), 0x123456u);
  EXPECT_EQ(f.quantise(0xFFFFFFFF), 0xFFFFFFu);
  f.setBitsPerColor(1);
  EXPECT_EQ(f.colorMask(), 0x808080u);
  EXPECT_EQ(f.roundingAdd(), 0x404040u);
  EXPECT_EQ(f.quantise(0x3F40C0), 0x008080u);
  f.setBitsPerColor(0);
  f.setBitsPerColor(9);
  EXPECT_EQ(f.colorMask(), 0x808080u) << "out-of-range bits are ignored";
}

TEST(ImageFilter, InitialPalette) {
  const ImageFilter f;
  const PaletteState& s = f.paletteState();
  EXPECT_EQ(s.palette[0], 0x123456u);
  EXPECT_EQ(s.palette[1], 0x000000u);
  EXPECT_EQ(s.palette[2], 0x020202u);
  EXPECT_EQ(s.palette[128], 0xFEFEFEu);
  EXPECT_EQ(s.palette[129], 0xFFFFFFu);
  EXPECT_EQ(s.palette[130], 0x000040u);
  EXPECT_EQ(s.palette[131], 0x000080u);
  EXPECT_EQ(s.palette[134], 0x004000u);
  EXPECT_EQ(s.palette[249], 0xFFFFC0u);
  const uint32_t tints[] = {0x201010, 0x102010, 0x101020, 0x102020, 0x201020, 0xFEFEFE};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(s.palette[250 + i], tints[i]);
  EXPECT_EQ(std::set<uint32_t>(s.palette.begin(), s.palette.end()).size(), 255u)
      << "only 0xFEFEFE appears twice";
  EXPECT_EQ(s.mruHead, 0);
  EXPECT_EQ(s.lruTail, 255);
  EXPECT_EQ(s.prevEntry[0], -1);
  EXPECT_EQ(s.nextEntry[255], -1);
  EXPECT_EQ(s.nextEntry[7], 8);
}

TEST(ImageFilter, PixelStreamGolden) {
  ImageFilter f;
  // Black is entry 1; 0x123456 rounds to 0x204060, which is new and takes the
  // least recently used entry 255; white is entry 129.
  EXPECT_EQ(pixelStream(f, {0x000000, 0x123456, 0x123456, 0xFFFFFF}),
            hex("0400 01 FF FF 81 604020"));
  EXPECT_EQ(f.paletteState().mruHead, 129);
  EXPECT_EQ(f.paletteState().lruTail, 254);
  EXPECT_EQ(pixelStream(f, {}), hex("0000"));
}

TEST(ImageFilter, ColourInTheTailEntryIsStillSentInFull) {
  ImageFilter f;
  f.setBitsPerColor(8);
  // 0xFEFEFE sits in entry 255, the escape entry: sent again, and it stays there.
  EXPECT_EQ(pixelStream(f, {0xFEFEFE}), hex("0100 FF FEFEFE"));
  EXPECT_EQ(f.paletteState().palette[255], 0xFEFEFEu);
  EXPECT_EQ(f.paletteState().mruHead, 255);
  EXPECT_EQ(pixelStream(f, {0xFEFEFE}), hex("0100 FF"));
}

TEST(ImageFilter, SecondCodingOfAnImageSendsNoNewColours) {
  const Pixels frame = testing::desktopFrame(120, 90, 4, false);
  ImageFilter f;
  std::set<uint32_t> distinct;
  for (uint32_t p : frame) distinct.insert(f.quantise(p));
  ASSERT_LT(distinct.size(), 256u);
  const Bytes first = pixelStream(f, frame);
  EXPECT_GT(first.size(), 2 + frame.size());
  EXPECT_EQ(pixelStream(f, frame).size(), 2 + frame.size());
}

TEST(ImageFilter, EvictionKeepsEncoderAndDecoderInStep) {
  // More than 255 colours per image forces escapes through the whole palette.
  FilterTable table;
  const int enc = table.acquire();
  const int dec = table.acquire();
  table.setBitsPerColor(6, enc);
  table.setBitsPerColor(6, dec);
  for (uint32_t seed = 1; seed <= 6; ++seed) {
    Pixels px(300 * 200);
    std::mt19937 rng(seed);
    for (auto& v : px) v = rng() % 2 ? rng() : 0x4080C0;
    const Bytes coded = encode(table, enc, px, 300, 200);
    ASSERT_FALSE(coded.empty());
    Pixels back(px.size());
    ASSERT_EQ(decode(table, dec, coded, back, 300, 200), 300 * 200);
    EXPECT_EQ(back, flipped(px, 300, 200, *table.find(enc))) << "image " << seed;
  }
}

TEST(ImageCodec, StreamOfImagesDecodesWithAnotherIndex) {
  FilterTable table;
  const int enc = table.acquire();
  const int spare = table.acquire();
  const int dec = table.acquire();
  ASSERT_EQ(dec, 2);
  for (uint32_t frame = 0; frame < 6; ++frame) {
    if (frame == 3) {  // both sides reset at the same point of the stream
      table.reset(enc);
      table.reset(dec);
    }
    const int w = 64 + int(frame) * 10;
    const int h = 48;
    const Pixels px = testing::desktopFrame(w, h, frame % 2);
    const Bytes coded = encode(table, enc, px, w, h);
    Pixels back(px.size(), 0xDEADBEEF);
    ASSERT_EQ(decode(table, dec, coded, back, w, h), w * h);
    EXPECT_EQ(back, flipped(px, w, h, *table.find(enc))) << "frame " << frame;
  }
  EXPECT_TRUE(table.release(spare));
}

TEST(ImageCodec, RowsAreCodedLastFirstAndDecodedFirstFirst) {
  FilterTable table;
  const int enc = table.acquire();
  const int dec = table.acquire();
  // A 3x2 rectangle at offset 5 of rows 4 pixels apart.
  const Pixels source = {9,        9, 9,        9,        9,        0x000000, 0xFFFFFF,
                         0x000000, 9, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 9,        9};
  Bytes out(64);
  const int64_t n = encodeImage(table, enc, {source.data(), source.size()}, {5, 3, 2, 4},
                                {out.data(), out.size()}, 2 + 4 * 6);
  ASSERT_GT(n, 0);
  out.resize(size_t(n));
  // The pixel stream starts with the last row: white, white, white, then black, white, black.
  Bytes stream(64);
  size_t length = 0;
  ASSERT_EQ(lzDecompress(out.data(), out.size(), stream.data(), stream.size(), length),
            CodecStatus::ok);
  stream.resize(length);
  EXPECT_EQ(stream, hex("0600 81 81 81 01 81 01"));

  Pixels target(20, 7);
  ASSERT_EQ(decodeImage(table, dec, {out.data(), out.size()}, 0, n, {target.data(), target.size()},
                        {2, 3, 2, 5}),
            6);
  EXPECT_EQ(target, (Pixels{7, 7, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 7, 7, 0, 0xFFFFFF, 0,
                            7, 7, 7,        7,        7,        7, 7, 7, 7,        7}));
}

TEST(ImageCodec, EmptyRectangleCodesToTheCountAlone) {
  FilterTable table;
  const Bytes coded = encode(table, 0, {}, 0, 5);
  EXPECT_EQ(coded, hex("0000 0000"));
  Pixels none;
  EXPECT_EQ(decode(table, 0, coded, none, 7, 0), 0);
}

TEST(ImageCodec, EmptySlotCodesWithAThrowAwayFilter) {
  FilterTable table;
  const Pixels px = testing::desktopFrame(50, 40, 2);
  const Bytes first = encode(table, 6, px, 50, 40);
  EXPECT_EQ(encode(table, 6, px, 50, 40), first) << "nothing was kept between the calls";
  const int index = table.acquire();
  EXPECT_EQ(encode(table, index, px, 50, 40), first) << "a fresh filter codes the same";
  EXPECT_EQ(table.find(6), nullptr);
}

TEST(ImageCodec, BadArgumentsFailWithoutTouchingAnything) {
  FilterTable table;
  const int index = table.acquire();
  const Pixels px = testing::desktopFrame(40, 30, 1);
  Bytes out(lzCompressBound(pixelStreamBound(px.size())), 0xAA);
  const auto encodeWith = [&](int idx, PixelRect r, size_t outLength, int64_t work) {
    return encodeImage(table, idx, {px.data(), px.size()}, r, {out.data(), outLength}, work);
  };
  const int64_t work = int64_t(pixelStreamBound(px.size()));
  struct Case {
    const char* label;
    int64_t result;
  };
  const Case cases[] = {
      {"index -1", encodeWith(-1, compact(40, 30), out.size(), work)},
      {"index 10", encodeWith(10, compact(40, 30), out.size(), work)},
      {"rectangle past the array", encodeWith(index, {1, 40, 30, 40}, out.size(), work)},
      {"scanline past the array", encodeWith(index, {0, 40, 30, 41}, out.size(), work)},
      {"negative offset", encodeWith(index, {-1, 4, 3, 4}, out.size(), work)},
      {"negative width", encodeWith(index, {0, -4, 3, 4}, out.size(), work)},
      {"workSize below 2 + 4n", encodeWith(index, compact(40, 30), out.size(), work - 1)},
      {"output too small", encodeWith(index, compact(40, 30), 10, work)},
  };
  for (const Case& c : cases) EXPECT_EQ(c.result, kImageFailure) << c.label;
  EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](uint8_t b) { return b == 0xAA; }));

  // Rectangles of 65,536 pixels or more do not fit the 16-bit count.
  Pixels big(256 * 256);
  Bytes bigOut(lzCompressBound(pixelStreamBound(big.size())));
  EXPECT_EQ(encodeImage(table, index, {big.data(), big.size()}, compact(256, 256),
                        {bigOut.data(), bigOut.size()}, int64_t(pixelStreamBound(big.size()))),
            kImageFailure);

  // None of the failures moved the filter: it still codes like a fresh one.
  FilterTable fresh;
  EXPECT_EQ(encode(table, index, px, 40, 30), encode(fresh, fresh.acquire(), px, 40, 30));
}

TEST(ImageCodec, BadStreamsFailAndLeaveFilterAndPixelsAlone) {
  FilterTable table;
  const int enc = table.acquire();
  const int dec = table.acquire();
  const Pixels px = testing::desktopFrame(30, 20, 3);
  const Bytes coded = encode(table, enc, px, 30, 20);
  Pixels target(px.size(), 0x55);
  const auto decodeWith = [&](const Bytes& stream, int64_t start, int64_t end, PixelRect r) {
    return decodeImage(table, dec, {stream.data(), stream.size()}, start, end,
                       {target.data(), target.size()}, r);
  };
  const int64_t n = int64_t(coded.size());
  Bytes colourless(lzCompressBound(2 + 600));
  Bytes stream(2 + 600, 255);  // every pixel names the escape entry, no colours follow
  stream[0] = 600 & 0xFF;
  stream[1] = 600 >> 8;
  colourless.resize(lzCompress(stream.data(), stream.size(), colourless.data()));
  struct Case {
    const char* label;
    int64_t result;
  };
  const Case cases[] = {
      {"count above width*height", decodeWith(coded, 0, n, compact(30, 19))},
      {"count below width*height", decodeWith(coded, 0, n, {0, 31, 20, 29})},
      {"truncated", decodeWith(coded, 0, n - 3, compact(30, 20))},
      {"end before start", decodeWith(coded, 5, 4, compact(30, 20))},
      {"end past the array", decodeWith(coded, 0, n + 1, compact(30, 20))},
      {"rectangle past the array", decodeWith(coded, 0, n, {1, 30, 20, 30})},
      {"new colours run out",
       decodeWith(colourless, 0, int64_t(colourless.size()), compact(30, 20))},
      {"index 10", decodeImage(table, 10, {coded.data(), coded.size()}, 0, n,
                               {target.data(), target.size()}, compact(30, 20))},
  };
  for (const Case& c : cases) EXPECT_EQ(c.result, kImageFailure) << c.label;
  EXPECT_TRUE(std::all_of(target.begin(), target.end(), [](uint32_t p) { return p == 0x55; }));
  ASSERT_EQ(decodeWith(coded, 0, n, compact(30, 20)), 600) << "the filter is still in step";
  EXPECT_EQ(target, flipped(px, 30, 20, *table.find(enc)));
}

TEST(FilterTable, SlotsAreTakenLowestFirst) {
  FilterTable table;
  for (int i = 0; i < 10; ++i) EXPECT_EQ(table.acquire(), i);
  EXPECT_EQ(table.acquire(), -1);
  EXPECT_TRUE(table.release(4));
  EXPECT_FALSE(table.release(4));
  EXPECT_FALSE(table.release(10));
  EXPECT_FALSE(table.release(-1));
  EXPECT_EQ(table.acquire(), 4);

  table.setBitsPerColor(5, 4);
  ImageFilter& filter = *table.find(4);
  pixelStream(filter, {0x123456});
  table.reset(4);
  EXPECT_EQ(filter.colorMask(), 0xF8F8F8u) << "a reset keeps the bits per colour";
  EXPECT_EQ(filter.paletteState().palette[255], 0xFEFEFEu);
  EXPECT_EQ(filter.paletteState().lruTail, 255);
  table.reset(12);
  table.setBitsPerColor(5, 12);  // ignored, as for empty slots
}

}  // namespace
}  // namespace brevan::spatial
