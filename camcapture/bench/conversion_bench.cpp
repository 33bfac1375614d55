// Conversions of a 640 x 480 frame in every layout and kind, next to a plain copy of the same
// frame in the same run. One line per layout: the copy's time, then each kind's time and its
// ratio to the copy (goal: within 4 times the copy).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <random>
#include <utility>
#include <vector>

#include "frame_conversion.h"

namespace {

using namespace brevan::camcapture;
using Clock = std::chrono::steady_clock;

constexpr int kWidth = 640, kHeight = 480, kRounds = 200;

// Best of kRounds of each body, in ms. The rounds alternate between the two bodies so a change
// of load on the shared machine falls on both alike, and each timed call follows an untimed one
// of the same body, so each is measured with its own buffers warm.
template <class Copy, class Convert>
std::pair<double, double> bestMs(Copy&& copy, Convert&& convert) {
  const auto timed = [](auto& body) {
    body();
    const auto start = Clock::now();
    body();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  };
  double bestCopy = 1e9, bestConvert = 1e9;
  for (int round = 0; round < kRounds; ++round) {
    bestCopy = std::min(bestCopy, timed(copy));
    bestConvert = std::min(bestConvert, timed(convert));
  }
  return {bestCopy, bestConvert};
}

}  // namespace

int main() {
  struct Layout {
    const char* name;
    FrameFormat format;
  };
  const Layout layouts[] = {{"rgb15", {kUncompressed, 15, kWidth, kHeight}},
                            {"rgb16", {kUncompressed, 16, kWidth, kHeight}},
                            {"rgb24", {kUncompressed, 24, kWidth, kHeight}},
                            {"rgb32", {kUncompressed, 32, kWidth, kHeight}},
                            {"I420", {kI420, 12, kWidth, kHeight}},
                            {"YV12", {kYV12, 12, kWidth, kHeight}},
                            {"0x33333333", {kFullChroma, 16, kWidth, kHeight}}};
  const FrameKind kinds[] = {FrameKind::colour, FrameKind::blackWhite, FrameKind::yuv,
                             FrameKind::yuv22};
  const char* kindNames[] = {"colour", "bw", "yuv", "yuv22"};
  std::mt19937 random(20);
  std::vector<uint8_t> frame(size_t(kWidth) * kHeight * 4);
  for (uint8_t& byte : frame) byte = uint8_t(random());
  std::vector<uint32_t> destination(size_t(kWidth) * kHeight);
  std::vector<uint8_t> copy(frame.size());

  std::printf("camcapture conversions, %dx%d, best of %d, ms (x memcpy of the frame)\n", kWidth,
              kHeight, kRounds);
  for (const Layout& layout : layouts) {
    const size_t frameBytes = size_t(frameLayout(FrameKind::colour, layout.format).frameBytes);
    const auto copyFrame = [&] { std::memcpy(copy.data(), frame.data(), frameBytes); };
    // Every ratio is to the best copy of the whole line.
    double copyMs = 1e9, convertMs[4] = {};
    for (int k = 0; k < 4; ++k) {
      if (!frameLayout(kinds[k], layout.format).readable) continue;
      const auto [copied, converted] = bestMs(copyFrame, [&] {
        convertFrame(kinds[k], layout.format, frame.data(), frame.size(), destination.data(),
                     destination.size() * 4);
      });
      copyMs = std::min(copyMs, copied);
      convertMs[k] = converted;
    }
    std::printf("%-10s memcpy %6.3f", layout.name, copyMs);
    for (int k = 0; k < 4; ++k) {
      if (convertMs[k] == 0)
        std::printf(" | %-6s      -       ", kindNames[k]);
      else
        std::printf(" | %-6s %6.3f (%4.1fx)", kindNames[k], convertMs[k], convertMs[k] / copyMs);
    }
    std::printf("\n");
  }
  return 0;
}
