#include "frame_assembler.h"

#include <gtest/gtest.h>

#include <random>

#include "framing.h"

namespace brevan::ipclink {
namespace {

std::vector<uint8_t> wireBytes(const std::u16string& framed) {
  std::vector<uint8_t> bytes;
  for (char16_t c : framed) {
    bytes.push_back(static_cast<uint8_t>(c & 0xFF));
    bytes.push_back(static_cast<uint8_t>(c >> 8));
  }
  bytes.push_back(0);
  bytes.push_back(0);
  return bytes;
}

std::u16string text(const std::u16string& completed) {
  return completed.substr(0, completed.find(u'\0'));
}

TEST(FrameAssembler, FrameSplitOverManyReadsCompletesOnce) {
  std::u16string body(5000, u'a');
  std::vector<uint8_t> bytes = wireBytes(frameBody(body));
  FrameAssembler assembler;
  int completions = 0;
  for (size_t at = 0; at < bytes.size(); at += 4096) {
    size_t n = std::min<size_t>(4096, bytes.size() - at);
    completions += assembler.add(bytes.data() + at, n);
  }
  ASSERT_EQ(completions, 1);
  EXPECT_EQ(assembler.completed().size(), body.size() + 1);
  EXPECT_EQ(assembler.completed().back(), u'\0');
  EXPECT_EQ(text(assembler.completed()), body);
  EXPECT_EQ(assembler.bufferedBytes(), 0u);
}

TEST(FrameAssembler, DiscardsBytesBeforeATagAndKeepsTheNextFrame) {
  std::vector<uint8_t> bytes = wireBytes(u"noise");
  bytes.resize(bytes.size() - 2);  // noise without a NUL
  for (auto* part : {u"first", u"second"}) {
    std::vector<uint8_t> frame = wireBytes(frameBody(part));
    bytes.insert(bytes.end(), frame.begin(), frame.end());
  }
  FrameAssembler assembler;
  size_t held = 0;
  ASSERT_TRUE(assembler.add(bytes.data(), bytes.size(), &held));
  EXPECT_EQ(text(assembler.completed()), u"first");
  EXPECT_GT(held, 0u);
  // The second frame arrived in the same read; it is taken out by the next call.
  ASSERT_TRUE(assembler.add(nullptr, 0));
  EXPECT_EQ(text(assembler.completed()), u"second");
  EXPECT_FALSE(assembler.add(nullptr, 0));
}

TEST(FrameAssembler, TagSplitAcrossReads) {
  std::vector<uint8_t> bytes = wireBytes(frameBody(u"let go"));
  FrameAssembler assembler;
  for (size_t i = 0; i + 1 < bytes.size(); ++i) EXPECT_FALSE(assembler.add(&bytes[i], 1)) << i;
  ASSERT_TRUE(assembler.add(&bytes.back(), 1));
  EXPECT_EQ(text(assembler.completed()), u"let go");
  EXPECT_EQ(assembler.completed().size(), 7u);
}

TEST(FrameAssembler, ResetDropsACutOffFrame) {
  std::vector<uint8_t> cut = wireBytes(frameBody(std::u16string(300, u'c')));
  std::vector<uint8_t> next = wireBytes(frameBody(u"intact"));
  FrameAssembler assembler;
  EXPECT_FALSE(assembler.add(cut.data(), cut.size() / 2));
  EXPECT_TRUE(assembler.lengthKnown());
  assembler.reset();
  ASSERT_TRUE(assembler.add(next.data(), next.size()));
  EXPECT_EQ(text(assembler.completed()), u"intact");
}

TEST(FrameAssembler, RandomSplitsOfManyFramesKeepEveryMessage) {
  const unsigned seed = std::random_device{}();
  std::mt19937 rng(seed);
  std::vector<std::u16string> sent;
  std::vector<uint8_t> stream;
  for (int i = 0; i < 200; ++i) {
    std::u16string body(rng() % 9000, static_cast<char16_t>(u'A' + i % 26));
    body += static_cast<char16_t>(u'0' + i % 10);
    sent.push_back(body);
    std::vector<uint8_t> frame = wireBytes(frameBody(body));
    stream.insert(stream.end(), frame.begin(), frame.end());
  }
  FrameAssembler assembler;
  std::vector<std::u16string> received;
  for (size_t at = 0; at < stream.size();) {
    size_t n = std::min<size_t>(1 + rng() % 4096, stream.size() - at);
    bool done = assembler.add(stream.data() + at, n);
    at += n;
    while (done) {
      received.push_back(text(assembler.completed()));
      done = assembler.add(nullptr, 0);
    }
  }
  ASSERT_EQ(received.size(), sent.size()) << "seed " << seed;
  EXPECT_TRUE(received == sent) << "seed " << seed;
}

}  // namespace
}  // namespace brevan::ipclink
