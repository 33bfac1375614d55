// The screen source's Windows side against real windows: a second process shows windows of
// known titles and colours; the tests find them, grab them and the desktop, read cursors, pick
// one interactively, and send packets of one that the viewer must rebuild.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "pixel_coder.h"
#include "test_window_layout.h"
#include "testsupport/child_process_win32.h"
#include "testsupport/wait.h"
#include "update_source.h"
#include "viewer/packet_viewer.h"
#include "win32/window_grabber_win32.h"
#include "win32/window_selection_win32.h"

namespace brevan::screensource::test {
namespace {

using namespace std::chrono_literals;
using namespace brevan::screensource::win32;
using brevan::testsupport::ChildProcess;
using brevan::testsupport::waitUntil;

const std::wstring kTag = std::to_wstring(GetCurrentProcessId());

class WindowCapture : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    const std::string ready = brevan::testsupport::scratchPath("windows-ready");
    program = new ChildProcess("screensource_test_window.exe",
                               {std::to_string(GetCurrentProcessId()), ready});
    ASSERT_TRUE(brevan::testsupport::waitForLine(ready, "ready", 20000));
    auto report = brevan::testsupport::readReport(ready);
    windowCursor = std::stoull(report["cursor"]);
    busyCursor = std::stoull(report["busy"]);
    top = findNamedWindow(windowTitlePrefix() + kTag);
    child = findNamedWindow(childTitlePrefix() + kTag);
    Sleep(300);  // the painted windows reach the screen
  }
  static void TearDownTestSuite() { delete program; }

  void SetUp() override { ASSERT_TRUE(top && child) << "the test windows were not found"; }

  static ChildProcess* program;
  static HWND top, child;
  static CursorHandle windowCursor;  // the class cursor of the test windows
  static CursorHandle busyCursor;    // shown over them on request
};
CursorHandle WindowCapture::windowCursor = kNoCursor;
CursorHandle WindowCapture::busyCursor = kNoCursor;
ChildProcess* WindowCapture::program = nullptr;
HWND WindowCapture::top = nullptr;
HWND WindowCapture::child = nullptr;

// (x, y) of a bottom-up grab w pixels wide and h high.
uint32_t pixelAt(const uint32_t* grab, int w, int h, int x, int y) {
  return grab[size_t(h - 1 - y) * w + x] & 0x00FFFFFF;
}

// Spots of the window, from its top left corner, and what a grab shows there.
struct Spot {
  int x, y;
  uint32_t pixel;
};
const Spot kSpots[] = {{0, 0, kBlockColour},
                       {99, 74, kBlockColour},
                       {150, 20, kWindowColour},
                       {199, 149, kWindowColour},
                       {kChildLeft, kChildTop, kChildColour},
                       {179, 129, kChildColour},
                       {10, 100, kWindowColour}};

void expectSpots(const uint32_t* grab, int w, int h) {
  ASSERT_NE(grab, nullptr);
  for (const Spot& s : kSpots)
    EXPECT_EQ(pixelAt(grab, w, h, s.x, s.y), s.pixel) << "at " << s.x << "," << s.y;
}

TEST_F(WindowCapture, FindsWindowsByTitlePrefixAndPoint) {
  EXPECT_EQ(GetParent(child), top);  // only the child's title matches its prefix
  const std::wstring title = windowTitlePrefix() + kTag;
  EXPECT_EQ(findNamedWindow(title.substr(0, title.size() - 1)), top);
  EXPECT_EQ(findNamedWindow(L"Br\u00e9van Fenster u " + kTag), nullptr);  // accents count
  EXPECT_EQ(findNamedWindow(L"kindfenster \u00f6 " + kTag), nullptr);     // so does case
  EXPECT_NE(findNamedWindow(L""), nullptr);
  EXPECT_EQ(locatedWindow(kWindowLeft + 150, kWindowTop + 20), top);
  EXPECT_EQ(locatedWindow(kWindowLeft + kChildLeft + 5, kWindowTop + kChildTop + 5), child);
}

TEST_F(WindowCapture, GrabsTheWindowBottomUpWithZerosPastItsEdges) {
  auto grabber = makeWindowGrabber(top);
  const Area area{kWindowLeft, kWindowTop, kWindowWidth, kWindowHeight};
  EXPECT_EQ(grabber->currentArea(), area);
  const int w = 4 * kTileSide, h = 3 * kTileSide;  // the whole grid, partial tiles included
  const uint32_t* grab = grabber->grab(0, 0, w, h);
  expectSpots(grab, w, h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      if (x >= kWindowWidth || y >= kWindowHeight) {
        ASSERT_EQ(grab[size_t(h - 1 - y) * w + x], 0u) << "at " << x << "," << y;
      }
    }
  }
  // The tile at the bottom right alone, after a tile of the block: 8 x 22 pixels of window,
  // then 0 where the screen shows the backdrop, and nothing left over from the grab before.
  ASSERT_NE(grabber->grab(0, 0, kTileSide, kTileSide), nullptr);
  const uint32_t* corner = grabber->grab(3 * kTileSide, 2 * kTileSide, kTileSide, kTileSide);
  ASSERT_NE(corner, nullptr);
  EXPECT_EQ(pixelAt(corner, kTileSide, kTileSide, 7, 21), kWindowColour);
  EXPECT_EQ(pixelAt(corner, kTileSide, kTileSide, 8, 21), 0u);
  EXPECT_EQ(pixelAt(corner, kTileSide, kTileSide, 7, 22), 0u);
}

TEST_F(WindowCapture, GrabsTheDesktopAndNothingWithoutAWindow) {
  auto desktop = makeDesktopGrabber();
  const Area screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  EXPECT_EQ(desktop->currentArea(), screen);
  expectSpots(desktop->grab(kWindowLeft, kWindowTop, kWindowWidth, kWindowHeight), kWindowWidth,
              kWindowHeight);
  auto none = makeWindowGrabber(nullptr);
  EXPECT_EQ(none->currentArea(), Area{});
  EXPECT_FALSE(none->attached());
  EXPECT_EQ(none->grab(0, 0, kTileSide, kTileSide), nullptr);
}

bool hasKeyAndOtherPixels(const CursorShape& shape) {
  int keys = 0;
  for (uint32_t p : shape.pixels) keys += p == kKeyColour;
  return keys > 0 && keys < int(shape.pixels.size());
}

TEST_F(WindowCapture, ReadsCursorShapesAndTheCursorOverAWindow) {
  auto grabber = makeWindowGrabber(top);
  auto cursor = makeWindowCursor(*grabber);
  CursorShape arrow;
  ASSERT_TRUE(cursor->readShape(cursor->arrowHandle(), arrow));
  EXPECT_EQ(arrow.width, GetSystemMetrics(SM_CXCURSOR));
  EXPECT_EQ(arrow.height, GetSystemMetrics(SM_CYCURSOR));
  EXPECT_EQ(arrow.pixels.size(), size_t(arrow.width) * arrow.height);
  EXPECT_EQ(arrow.hotspotX, 0);
  EXPECT_EQ(arrow.hotspotY, 0);
  EXPECT_TRUE(hasKeyAndOtherPixels(arrow));
  EXPECT_FALSE(cursor->readShape(0x12345678, arrow));

  // Over the window its class cursor shows, a handle of the other process (whose shape Wine
  // keeps to that process, so only the handle is compared).
  SetCursorPos(kWindowLeft + 150, kWindowTop + 20);
  EXPECT_EQ(cursor->position(), (CursorPosition{kWindowLeft + 150, kWindowTop + 20}));
  EXPECT_TRUE(waitUntil(3s, [&] { return cursor->currentHandle() == windowCursor; }));

  // The window changes its cursor under the still pointer, as a busy program does: the packet
  // cycle (position, then handle) sees the new shape well within a second, and the old one
  // again when it comes back.
  auto cycleSees = [&](CursorHandle expected) {
    return waitUntil(1s, [&] {
      cursor->position();
      return cursor->currentHandle() == expected;
    });
  };
  PostMessageW(top, kShowBusyCursor, 1, 0);
  EXPECT_TRUE(cycleSees(busyCursor));
  PostMessageW(top, kShowBusyCursor, 0, 0);
  EXPECT_TRUE(cycleSees(windowCursor));
  EXPECT_EQ(cursor->position(), (CursorPosition{kWindowLeft + 150, kWindowTop + 20}));
}

// Runs the calling thread's messages (the pick's timer) until the condition holds.
bool pumpUntil(std::chrono::milliseconds limit, const std::function<bool()>& condition) {
  return waitUntil(limit, [&] {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    return condition();
  });
}

void pressLeftButton(bool down) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
  SendInput(1, &input, sizeof(input));
}

// Ends the running pick with a press of the left button, held until the pick has seen it.
bool clickToEndPick() {
  pressLeftButton(true);
  const bool ended = pumpUntil(3s, [] { return !pickRunning(); });
  pressLeftButton(false);
  return ended;
}

TEST_F(WindowCapture, PickHighlightsTheTitledTopLevelWindowAndErasesExactly) {
  // The highlight lies inside the picked window, so the screen is compared there: windows of
  // other programs coming and going elsewhere on the shared screen do not count.
  auto desktop = makeDesktopGrabber();
  auto screenNow = [&] {
    const uint32_t* now = desktop->grab(kWindowLeft, kWindowTop, kWindowWidth, kWindowHeight);
    return std::vector<uint32_t>(now, now + size_t(kWindowWidth) * kWindowHeight);
  };
  // What the pick must leave behind, once it has been still for a tenth of a second: a paint
  // still on its way (the window program's answer to an earlier test) lands first, rather than
  // under the highlight, where erasing would invert it.
  std::vector<uint32_t> before = screenNow();
  int stillFor = 0;
  ASSERT_TRUE(pumpUntil(3s, [&] {
    std::vector<uint32_t> now = screenNow();
    stillFor = now == before ? stillFor + 1 : 0;
    before = std::move(now);
    return stillFor >= 10;
  })) << "the screen does not settle";
  SetCursorPos(kWindowLeft + kChildLeft + 5, kWindowTop + kChildTop + 5);  // over the child
  ASSERT_EQ(findNamedWindow(L"no such window " + kTag), nullptr);          // nothing found so far
  EXPECT_EQ(startPick(), nullptr);
  EXPECT_TRUE(pickRunning());
  EXPECT_TRUE(pumpUntil(3s, [&] { return screenNow() != before; })) << "no highlight drawn";
  ASSERT_TRUE(clickToEndPick());
  EXPECT_TRUE(screenNow() == before) << "the highlight was not erased exactly";

  EXPECT_EQ(startPick(), top);  // the pick's choice, and a new pick starts
  EXPECT_EQ(startPick(), top);  // one pick at a time: this call starts none
  EXPECT_TRUE(pickRunning());
  ASSERT_TRUE(clickToEndPick());
  EXPECT_TRUE(screenNow() == before);
}

TEST_F(WindowCapture, PacketsRebuildTheQuantisedWindow) {
  LocalQueueLock lock;
  auto grabber = makeWindowGrabber(top);
  auto cursor = makeWindowCursor(*grabber);
  UpdateSource source(std::move(grabber), std::move(cursor), lock);
  PacketViewer viewer;
  PacketBuffer packet;
  auto quantisedWindow = [&] {
    const uint32_t* grab = source.grabber().grab(0, 0, kWindowWidth, kWindowHeight);
    return grab ? quantisedFrame(grab, kWindowWidth, kWindowHeight, source.bitsPerColor())
                : std::vector<uint32_t>();
  };
  int packets = 0;
  auto cycleUntilRebuilt = [&] {
    for (int cycle = 0; cycle < 200; ++cycle) {
      std::string error;
      if (source.runCycle(packet)) {
        ++packets;
        EXPECT_TRUE(viewer.apply(packet.data(), packet.size(), error)) << error;
      }
      if (viewer.width() == kWindowWidth && viewer.frame() == quantisedWindow()) return true;
    }
    return false;
  };
  EXPECT_TRUE(cycleUntilRebuilt());
  EXPECT_EQ(viewer.height(), kWindowHeight);
  EXPECT_NE(viewer.cursor().shape, nullptr);
  source.setBitsPerColor(8);  // finer colours: the changed tiles are sent again
  source.raisePendingRestartFlag();
  EXPECT_TRUE(cycleUntilRebuilt());
  EXPECT_GE(packets, 2);
}

}  // namespace
}  // namespace brevan::screensource::test
