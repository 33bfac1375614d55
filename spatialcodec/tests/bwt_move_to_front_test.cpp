#include <gtest/gtest.h>

#include <algorithm>

#include "move_to_front.h"
#include "test_support.h"

namespace brevan::spatial {
namespace {

using testing::Bytes;

// The list kept the plain way: search from the front, erase and reinsert.
Bytes referenceMoveToFront(const Bytes& in) {
  std::vector<uint8_t> list(256);
  for (int i = 0; i < 256; ++i) list[i] = uint8_t(i);
  Bytes out;
  for (uint8_t value : in) {
    const auto at = std::find(list.begin(), list.end(), value);
    out.push_back(uint8_t(at - list.begin()));
    list.erase(at);
    list.insert(list.begin(), value);
  }
  return out;
}

// Inputs whose positions fall on both sides of the inline search, up to the
// list's far end.
std::vector<Bytes> varied() {
  std::vector<Bytes> inputs = {{}, {0}, {255}, {255, 255, 0, 255}};
  for (uint32_t seed = 1; seed <= 60; ++seed) {
    const int alphabets[] = {2, 7, 8, 9, 16, 64, 256};
    inputs.push_back(testing::randomBytes(1 + seed * 37 % 3000, seed, alphabets[seed % 7]));
  }
  Bytes sweep;  // every value in turn, then back down: positions up to 255
  for (int round = 0; round < 3; ++round)
    for (int v = 0; v < 256; ++v) sweep.push_back(uint8_t(round == 1 ? 255 - v : v));
  inputs.push_back(sweep);
  return inputs;
}

TEST(MoveToFront, MatchesThePlainListBothWays) {
  for (const Bytes& in : varied()) {
    Bytes coded = in;
    moveToFrontEncode(coded.data(), coded.size());
    ASSERT_EQ(coded, referenceMoveToFront(in)) << in.size();
    moveToFrontDecode(coded.data(), coded.size());
    ASSERT_EQ(coded, in) << in.size();
  }
}

// Both forms of the decoder, given the stream in pieces of every size.
TEST(MoveToFront, DecodersKeepTheirListBetweenPieces) {
  for (const bool plainOnly : {false, true}) {
    uint32_t cut = 1;
    for (const Bytes& in : varied()) {
      Bytes data = referenceMoveToFront(in);
      MoveToFrontDecoder decoder(plainOnly);
      for (size_t at = 0; at < data.size(); at += cut, cut = cut * 7 % 61 + 1)
        decoder.decode(data.data() + at, std::min<size_t>(cut, data.size() - at));
      ASSERT_EQ(data, in) << in.size() << (plainOnly ? " plain" : "");
    }
  }
}

}  // namespace
}  // namespace brevan::spatial
