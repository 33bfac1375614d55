// Timings of the screen source on synthetic desktops, one summary line each, best of five rounds:
//   full refresh: every tile of a 1920 x 1080 desktop encoded in one cycle, beside zlib's
//     compress2 at level 3 over the same quantised frame bytes in one call (rounds alternate),
//     and the viewer applying that packet;
//   update: a 400 x 300 window moved by 16 pixels, its old and new rectangles reported;
//   idle: one cycle on a static screen with nothing queued (one poller step).
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

#include "pixel_coder.h"
#include "scripted_screen.h"
#include "synthetic_desktop.h"
#include "update_source.h"
#include "viewer/packet_viewer.h"

namespace {

using namespace brevan::screensource;
using Clock = std::chrono::steady_clock;

constexpr int kRounds = 5;
constexpr int kBits = 3;
constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr uint32_t kSeed = 20240611;

double millisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// A source over a frame in memory whose viewer holds every tile of that frame.
class SyncedScreen {
 public:
  explicit SyncedScreen(const std::vector<uint32_t>& frame) {
    auto grabber = std::make_unique<FrameGrabber>(kWidth, kHeight);
    grabber_ = grabber.get();
    grabber_->frame() = frame;
    source_ = std::make_unique<UpdateSource>(std::move(grabber), std::make_unique<ScriptedCursor>(),
                                             lock_);
    source_->liftCycleLimits();
    source_->setBitsPerColor(kBits);
    refresh();
    sendAll();
  }

  // The packet with the area record.
  const PacketBuffer& refresh() {
    source_->raisePendingRestartFlag();
    source_->runCycle(packet_);
    return packet_;
  }
  // Every tile in one cycle; the packet's length.
  size_t sendAll() {
    source_->queue().addTileRect(0, 0, source_->grid().cols, source_->grid().rows);
    source_->runCycle(packet_);
    return packet_.size();
  }
  size_t cycle() { return source_->runCycle(packet_) ? packet_.size() : 0; }
  const PacketBuffer& packet() const { return packet_; }

  FrameGrabber& grabber() { return *grabber_; }
  UpdateSource& source() { return *source_; }

 private:
  LocalQueueLock lock_;
  FrameGrabber* grabber_;
  std::unique_ptr<UpdateSource> source_;
  PacketBuffer packet_;
};

std::vector<uint8_t> quantisedBytes(const std::vector<uint32_t>& frame) {
  std::vector<uint8_t> bytes;
  bytes.reserve(frame.size() * 4);
  for (uint32_t pixel : frame) {
    const uint32_t q = quantisePixel(pixel, kBits);
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(uint8_t(q >> shift));
  }
  return bytes;
}

bool apply(PacketViewer& viewer, const PacketBuffer& packet) {
  std::string error;
  if (viewer.apply(packet.data(), packet.size(), error)) return true;
  std::fprintf(stderr, "the viewer refused a packet: %s\n", error.c_str());
  return false;
}

void benchFullRefresh(const std::vector<uint32_t>& frame) {
  SyncedScreen screen(frame);
  PacketViewer viewer;
  const std::vector<uint8_t> raw = quantisedBytes(frame);
  std::vector<uint8_t> zipped(compressBound(uLong(raw.size())));
  double ours = 1e9, zlib = 1e9, view = 1e9;
  size_t packetBytes = 0;
  uLongf zippedBytes = 0;
  for (int round = 0; round < kRounds; ++round) {
    if (!apply(viewer, screen.refresh())) return;
    Clock::time_point start = Clock::now();
    packetBytes = screen.sendAll();
    ours = std::min(ours, millisecondsSince(start));

    start = Clock::now();
    if (!apply(viewer, screen.packet())) return;
    view = std::min(view, millisecondsSince(start));

    start = Clock::now();
    zippedBytes = uLongf(zipped.size());
    compress2(zipped.data(), &zippedBytes, raw.data(), uLong(raw.size()), 3);
    zlib = std::min(zlib, millisecondsSince(start));
  }
  std::printf(
      "screen full refresh %dx%d, %d bits: %.1f ms, %zu bytes | zlib compress2 level 3 %.1f ms, "
      "%lu bytes | time ratio %.2f (goal <= 1.30) | viewer applies it in %.1f ms\n",
      kWidth, kHeight, kBits, ours, packetBytes, zlib, (unsigned long)zippedBytes, ours / zlib,
      view);
}

// Each round starts from the window at rest, every tile sent, so that no round finds the moved
// content in the tile cache (every fourth 16-pixel step would).
void benchWindowMove(const std::vector<uint32_t>& background) {
  constexpr int kWindowWidth = 400, kWindowHeight = 300, kStep = 16;
  constexpr int kLeft = 500, kTop = 300;
  auto frameAt = [&](int left) {
    Canvas canvas(kWidth, kHeight);
    canvas.pixels = background;
    paintWindow(canvas, left, kTop, kWindowWidth, kWindowHeight, kSeed);
    return canvas.pixels;
  };
  const std::vector<uint32_t> atRest = frameAt(kLeft);
  const std::vector<uint32_t> moved = frameAt(kLeft + kStep);
  SyncedScreen screen(atRest);
  double best = 1e9;
  size_t bytes = 0;
  for (int round = 0; round < kRounds; ++round) {
    screen.grabber().frame() = atRest;
    screen.refresh();
    screen.sendAll();
    screen.grabber().frame() = moved;
    const Clock::time_point start = Clock::now();
    EventQueue& queue = screen.source().queue();
    queue.addPixelRect(kLeft, kTop, kLeft + kWindowWidth, kTop + kWindowHeight);
    queue.addPixelRect(kLeft + kStep, kTop, kLeft + kStep + kWindowWidth, kTop + kWindowHeight);
    bytes = screen.cycle();
    best = std::min(best, millisecondsSince(start));
  }
  std::printf("screen update: %dx%d window moved %d pixels: %.2f ms, %zu bytes (goal < 5 ms)\n",
              kWindowWidth, kWindowHeight, kStep, best, bytes);
}

void benchIdle(const std::vector<uint32_t>& frame) {
  constexpr int kSteps = 2000;
  SyncedScreen screen(frame);
  double best = 1e9;
  size_t sent = 0;
  for (int round = 0; round < kRounds; ++round) {
    const Clock::time_point start = Clock::now();
    for (int i = 0; i < kSteps; ++i) sent += screen.cycle();
    best = std::min(best, millisecondsSince(start) * 1000 / kSteps);
  }
  std::printf("screen idle: one poller step on a static %dx%d screen: %.1f us%s (goal < 50 us)\n",
              kWidth, kHeight, best, sent ? " (BUT IT SENT PACKETS)" : "");
}

}  // namespace

int main() {
  const Canvas desktop = desktopFrame(kWidth, kHeight, kSeed);
  Canvas background(kWidth, kHeight);
  paintBackground(background, kSeed);
  benchFullRefresh(desktop.pixels);
  benchWindowMove(background.pixels);
  benchIdle(desktop.pixels);
  return 0;
}
