#include "framing.h"

#include <gtest/gtest.h>

#include <climits>

namespace brevan::ipclink {
namespace {

TEST(Framing, FrameCountsTheBodyAndItsTerminator) {
  std::u16string body(120, u'x');
  std::u16string framed = frameBody(body);
  EXPECT_EQ(framed.substr(0, 20), u"<LENGTH>121</LENGTH>");
  // 141 characters with the NUL, 282 bytes on the wire.
  EXPECT_EQ(framed.size() + 1, 141u);
  EXPECT_EQ(frameBody(u""), u"<LENGTH>1</LENGTH>");
}

TEST(Framing, SerialisedFormDropsExactlyTheClosingLineBreak) {
  std::u16string text = u"<R/>\r\n";  // B = 6 characters
  std::u16string framed = frameSerialised(text);
  EXPECT_EQ(framed, u"<LENGTH>5</LENGTH><R/>");
  EXPECT_EQ(2 * (framed.size() + 1), 2u * (16 + 1 + 6));
  EXPECT_EQ(frameSerialised(u"x"), u"<LENGTH>1</LENGTH>");
  EXPECT_EQ(trimLineBreaks(u"<R/>\r\n\n\r"), u"<R/>");
  EXPECT_EQ(trimLineBreaks(u"\r\n"), u"");
}

TEST(Framing, LengthTagScanning) {
  int position = -7;
  EXPECT_EQ(lengthFromTag(u"junk<LENGTH>12</LENGTH>rest", &position), 12);
  EXPECT_EQ(position, 23);
  EXPECT_EQ(std::u16string(u"junk<LENGTH>12</LENGTH>rest").substr(position, 1), u"r");

  EXPECT_EQ(lengthFromTag(u"<LENGTH></LENGTH>x", &position), 0);
  EXPECT_EQ(position, 17);

  position = -7;
  EXPECT_EQ(lengthFromTag(u"no tag here", &position), -1);
  EXPECT_EQ(lengthFromTag(u"<LENGTH>12", &position), -1);
  EXPECT_EQ(lengthFromTag(u"<length>12</length>", &position), -1);
  EXPECT_EQ(lengthFromTag(u"<LENGTH>1 2</LENGTH>", &position), -1);
  EXPECT_EQ(lengthFromTag(nullptr, &position), -1);
  EXPECT_EQ(position, -7);

  // An unclosed opening tag does not hide a complete one after it.
  EXPECT_EQ(lengthFromTag(u"<LENGTH>x<LENGTH>3</LENGTH>ab", &position), 3);
  EXPECT_EQ(position, 27);
  EXPECT_EQ(lengthFromTag(u"<LENGTH>99999999999999</LENGTH>", &position), INT_MAX);
}

TEST(Framing, ContainsLengthTagAnywhere) {
  EXPECT_TRUE(containsLengthTag(u"<LENGTH>6</LENGTH>hello"));
  EXPECT_TRUE(containsLengthTag(u"text <LENGTH></LENGTH> more"));
  EXPECT_FALSE(containsLengthTag(u"hello"));
  EXPECT_FALSE(containsLengthTag(u"<LENGTH>6"));
  EXPECT_FALSE(containsLengthTag(u"</LENGTH><LENGTH>"));
  EXPECT_FALSE(containsLengthTag(nullptr));
}

TEST(Framing, ByteCharacterMappingCoversAllBytesWithoutNul) {
  uint8_t bytes[256];
  for (int i = 0; i < 256; ++i) bytes[i] = static_cast<uint8_t>(i);
  char16_t chars[256];
  bytesToChars(bytes, 256, chars);
  EXPECT_EQ(chars[0], 0x2A00);
  EXPECT_EQ(chars[0x41], 0x2A41);
  EXPECT_EQ(chars[255], 0x2AFF);
  uint8_t back[256];
  charsToBytes(chars, 256, back);
  for (int i = 0; i < 256; ++i) {
    EXPECT_NE(chars[i], 0);
    EXPECT_EQ(back[i], i);
  }
}

}  // namespace
}  // namespace brevan::ipclink
