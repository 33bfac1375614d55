// The screen source on a live desktop, for a newcomer to watch: a scripted scene opens, moves and
// repaints windows and moves the cursor while the source's packet cycle runs over the real
// grabber every 10 ms; every packet goes through the viewer. Writes what the viewer rebuilt as
// PNG frames, side_by_side.png (the real screen left, the rebuilt one right) and one summary
// line.
//
//   screendemo OUTDIR
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <numeric>
#include <string>
#include <thread>
#include <vector>

#include "imageio/png_io.h"
#include "pixel_coder.h"
#include "scripted_windows_win32.h"
#include "update_source.h"
#include "viewer/packet_viewer.h"
#include "win32/queue_lock_win32.h"
#include "win32/window_grabber_win32.h"

namespace {

using namespace brevan::screensource;
namespace imageio = brevan::imageio;
using Clock = std::chrono::steady_clock;

constexpr int kSteps = 40, kStepMs = 100;
constexpr int kFrameEvery = 10;  // packets between saved frames
constexpr int kBits = 3;

imageio::RgbImage toImage(const std::vector<uint32_t>& pixels, int width, int height) {
  imageio::RgbImage image{width, height, {}};
  image.rgb.reserve(pixels.size() * 3);
  for (uint32_t p : pixels)
    image.rgb.insert(image.rgb.end(), {uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p)});
  return image;
}

// The desktop as the screen shows it now, quantised as packets carry it, top row first.
std::vector<uint32_t> screenshot(int& width, int& height) {
  auto grabber = win32::makeDesktopGrabber();
  const Area area = grabber->currentArea();
  width = area.width;
  height = area.height;
  const uint32_t* grab = grabber->grab(0, 0, width, height);
  return grab ? quantisedFrame(grab, width, height, kBits)
              : std::vector<uint32_t>(size_t(width) * height);
}

imageio::RgbImage sideBySide(const imageio::RgbImage& left, const imageio::RgbImage& right) {
  constexpr int kGap = 8;
  imageio::RgbImage both{left.width + kGap + right.width, std::max(left.height, right.height), {}};
  both.rgb.assign(size_t(both.width) * both.height * 3, 255);
  auto place = [&](const imageio::RgbImage& part, int x0) {
    for (int y = 0; y < part.height; ++y)
      std::copy_n(&part.rgb[size_t(y) * part.width * 3], size_t(part.width) * 3,
                  &both.rgb[(size_t(y) * both.width + x0) * 3]);
  };
  place(left, 0);
  place(right, left.width + kGap);
  return both;
}

struct CycleStats {
  std::vector<double> ms;  // the packet cycle alone, viewer work left out
  size_t packets = 0, bytes = 0;
};

// Runs cycles as the packet thread does until `stop`, feeding the viewer.
void runCycles(UpdateSource& source, PacketViewer& viewer, const std::string& outDir,
               std::atomic<bool>& stop, CycleStats& stats) {
  PacketBuffer packet;
  std::string error;
  while (!stop.load()) {
    Sleep(10);
    const auto start = Clock::now();
    const bool delivered = source.runCycle(packet);
    stats.ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    if (!delivered) continue;
    ++stats.packets;
    stats.bytes += packet.size();
    if (!viewer.apply(packet.data(), packet.size(), error))
      std::fprintf(stderr, "screendemo: the viewer refused packet %zu: %s\n", stats.packets,
                   error.c_str());
    if (stats.packets % kFrameEvery == 1) {
      char name[32];
      std::snprintf(name, sizeof name, "/frame_%04zu.png", stats.packets);
      imageio::writePng(outDir + name, toImage(viewer.frame(), viewer.width(), viewer.height()));
    }
  }
}

double threadCpuMs(HANDLE thread) {
  FILETIME created, exited, kernel, user;
  if (!GetThreadTimes(thread, &created, &exited, &kernel, &user)) return 0;
  auto ms = [](FILETIME t) {
    return (double(t.dwHighDateTime) * 4294967296.0 + t.dwLowDateTime) / 1e4;
  };
  return ms(kernel) + ms(user);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: screendemo OUTDIR\n");
    return 2;
  }
  const std::string outDir = argv[1];
  std::error_code made;
  std::filesystem::create_directories(outDir, made);

  win32::NamedQueueLock lock;
  auto grabber = win32::makeDesktopGrabber();
  auto cursor = win32::makeWindowCursor(*grabber);
  UpdateSource source(std::move(grabber), std::move(cursor), lock);
  source.setBitsPerColor(kBits);
  PacketViewer viewer;
  CycleStats busy, idle;

  std::atomic<bool> stop{false};
  std::thread cycles([&] { runCycles(source, viewer, outDir, stop, busy); });
  demo::playScene(kSteps, kStepMs, [&](const demo::Rect& r) {
    source.addScreenRect(r.left, r.top, r.right, r.bottom);  // as the hooks report it
  });
  Sleep(1500);  // the last reports and the poller's finds go out
  stop = true;
  cycles.join();

  // A quiet desktop: what one idle source costs.
  stop = false;
  double idleCpuMs = 0;
  const DWORD idleMs = 3000;
  std::thread quiet([&] {
    HANDLE self = GetCurrentThread();
    const double before = threadCpuMs(self);
    std::thread timer([&] {
      Sleep(idleMs);
      stop = true;
    });
    runCycles(source, viewer, outDir, stop, idle);
    timer.join();
    idleCpuMs = threadCpuMs(self) - before;
  });
  quiet.join();

  int width = 0, height = 0;
  const std::vector<uint32_t> screen = screenshot(width, height);
  const std::vector<uint32_t> rebuilt = viewer.frame();
  long differing = 0;
  for (size_t i = 0; i < screen.size() && i < rebuilt.size(); ++i)
    differing += screen[i] != rebuilt[i];
  if (rebuilt.size() != screen.size()) differing = long(screen.size());
  imageio::writePng(outDir + "/side_by_side.png",
                    sideBySide(toImage(screen, width, height),
                               toImage(rebuilt, viewer.width(), viewer.height())));

  const double mean =
      busy.ms.empty() ? 0 : std::accumulate(busy.ms.begin(), busy.ms.end(), 0.0) / busy.ms.size();
  const double worst = busy.ms.empty() ? 0 : *std::max_element(busy.ms.begin(), busy.ms.end());
  std::printf(
      "screendemo %dx%d: %zu packets, %zu bytes, cycle mean %.2f ms worst %.2f ms (%zu cycles); "
      "idle source %.2f%% of one core; last frame: %ld of %zu pixels differ from the quantised "
      "screenshot\n",
      width, height, busy.packets + idle.packets, busy.bytes + idle.bytes, mean, worst,
      busy.ms.size(), 100.0 * idleCpuMs / idleMs, differing, screen.size());
  return differing == 0 ? 0 : 1;
}
