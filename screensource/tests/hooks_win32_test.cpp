// The global hooks end to end under Wine: a second GUI process's window is acted on, its hooks
// post reports to the receiver window of this process, and they arrive as tile rectangles and
// cursor events in the queue of the source the hooks were installed for.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "hooks/hook_probe.h"
#include "jnitest/library.h"
#include "report_messages.h"
#include "scripted_screen.h"
#include "testsupport/child_process_win32.h"
#include "testsupport/wait.h"
#include "update_source.h"
#include "win32/hook_shared_data_win32.h"
#include "win32/queue_lock_win32.h"

namespace brevan::screensource::test {
namespace {

using namespace std::chrono_literals;
using testsupport::ChildProcess;
using win32::HookSharedData;
using Tile = std::pair<int, int>;

jnitest::Library& probe() {  // kept loaded: hooked processes hold the same file
  static auto* loaded = new jnitest::Library(kHookProbeName, BREVAN_TESTLIB_DIR);
  return *loaded;
}
const HookSharedData& shared() {
  return *static_cast<const HookSharedData*>(probe().get<ProbeSharedData>("probeSharedData")());
}
void install(UpdateSource* target) { probe().get<ProbeInstallHooks>("probeInstallHooks")(target); }
bool uninstallFor(const UpdateSource* s) {
  return probe().get<ProbeUninstallHooksFor>("probeUninstallHooksFor")(s);
}
void* hookTarget() { return probe().get<ProbeHookTarget>("probeHookTarget")(); }

std::unique_ptr<UpdateSource> desktopSource(QueueLock& lock) {
  return std::make_unique<UpdateSource>(
      std::make_unique<FrameGrabber>(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)),
      std::make_unique<ScriptedCursor>(), lock);
}

void addTiles(int left, int top, int right, int bottom, std::set<Tile>& tiles) {
  for (int y = top; y < bottom; ++y)
    for (int x = left; x < right; ++x) tiles.insert({x, y});
}

// The tiles of a screen rectangle inside the grid.
std::set<Tile> tilesOf(const RECT& r, TileGrid grid) {
  std::set<Tile> tiles;
  addTiles(std::max<int>(r.left / 64, 0), std::max<int>(r.top / 64, 0),
           std::min<int>((r.right + 63) / 64, grid.cols),
           std::min<int>((r.bottom + 63) / 64, grid.rows), tiles);
  return tiles;
}

RECT windowRect(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return r;
}

RECT clientRect(HWND window) {
  RECT r{};
  GetClientRect(window, &r);
  return r;
}

struct Reports {
  std::set<Tile> tiles;
  std::vector<POINT> cursors;

  void record(const UpdateEvent& e) {
    if (e.kind == kCursorMovedEvent) cursors.push_back({e.x, e.y});
    if (e.kind == kTileRectEvent) addTiles(e.x, e.y, e.x + e.w, e.y + e.h, tiles);
  }
};

class HookReports : public ::testing::Test {
 protected:
  void SetUp() override {
    source = desktopSource(lock);
    install(source.get());
  }
  void TearDown() override { uninstallFor(source.get()); }

  std::map<std::string, std::string> startActor() {
    const std::string report = testsupport::scratchPath("hook_actor.txt");
    const std::string dll = jnitest::windowsPathOf(std::string(BREVAN_TESTLIB_DIR) + "/" +
                                                   jnitest::Library::fileName(kHookProbeName));
    actor = std::make_unique<ChildProcess>("screensource_hook_actor.exe",
                                           std::vector<std::string>{dll, report});
    EXPECT_TRUE(testsupport::waitForLine(report, "ready 1", 20000));
    auto values = testsupport::readReport(report);
    window = handleOf(values["window"]);
    edit = handleOf(values["edit"]);
    return values;
  }
  static HWND handleOf(const std::string& text) {
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(std::stoull(text.empty() ? "0" : text)));
  }

  // Lets the actor finish its paints, then posts a marker behind its reports and takes the
  // queue up to the marker.
  Reports collect() {
    DWORD_PTR answer = 0;
    EXPECT_TRUE(SendMessageTimeoutA(window, kActorFlushMessage, 0, 0, SMTO_NORMAL, 5000, &answer));
    const int marker = 20000 + ++markers;
    PostMessageA(shared().receiver, shared().messageIds[win32::kCursorReport], 0,
                 encodeCursorMessage(marker, 0));
    Reports reports;
    const bool seen = testsupport::waitUntil(5s, [&] {
      UpdateEvent e;
      while (source->queue().take(e)) {
        if (e.kind == kCursorMovedEvent && e.x == marker) return true;
        reports.record(e);
      }
      return false;
    });
    EXPECT_TRUE(seen) << "marker " << marker;
    return reports;
  }

  win32::NamedQueueLock lock;
  std::unique_ptr<UpdateSource> source;
  std::unique_ptr<ChildProcess> actor;
  HWND window = nullptr, edit = nullptr;
  int markers = 0;
};

TEST_F(HookReports, AnotherProcessSeesTheMessagesAndTheReceiverInTheSharedSection) {
  const HWND receiver = shared().receiver;
  ASSERT_EQ(FindWindowA("ZmDskMsg", "Message Receiver"), receiver);
  EXPECT_FALSE(IsWindowVisible(receiver));
  EXPECT_EQ(GetWindowLongA(receiver, GWL_STYLE) & 0x00CA0000, 0x00CA0000);
  DWORD process = 0;
  EXPECT_NE(GetWindowThreadProcessId(receiver, &process), GetCurrentThreadId());
  EXPECT_EQ(process, GetCurrentProcessId());
  EXPECT_NE(GlobalFindAtomA("RFB.WM_Hooks.PopupSelectionAtom"), 0);

  auto seen = startActor();
  EXPECT_EQ(handleOf(seen["receiver"]), receiver);
  for (int i = 0; i < win32::kReportMessageCount; ++i) {
    const UINT id = RegisterWindowMessageA(shared().messageNames[i]);
    EXPECT_EQ(shared().messageIds[i], id) << shared().messageNames[i];
    EXPECT_EQ(seen["id" + std::to_string(i)], std::to_string(id)) << shared().messageNames[i];
  }
}

TEST_F(HookReports, OneInstallationAtATimeAndOnlyItsOwnSourceUninstallsIt) {
  const HWND first = shared().receiver;
  auto other = desktopSource(lock);
  install(other.get());
  const HWND second = shared().receiver;
  EXPECT_FALSE(IsWindow(first)) << "the earlier receiver thread has ended";
  EXPECT_TRUE(IsWindow(second));
  EXPECT_EQ(hookTarget(), other.get());

  EXPECT_FALSE(uninstallFor(source.get()));
  EXPECT_TRUE(IsWindow(second));
  EXPECT_TRUE(uninstallFor(other.get()));
  EXPECT_FALSE(IsWindow(second));
  EXPECT_EQ(hookTarget(), nullptr);
  EXPECT_FALSE(uninstallFor(other.get())) << "nothing left to uninstall";
  EXPECT_EQ(shared().receiver, second) << "the section keeps the last receiver";
}

TEST_F(HookReports, ChangesInAnotherProcessArriveAsTileRectangles) {
  startActor();
  ASSERT_TRUE(IsWindow(window) && IsWindow(edit));
  collect();  // what showing the window reported
  const TileGrid grid = source->grid();
  const RECT smallPart{100, 100, 110, 110};
  auto clientToScreen = [&](RECT r) {
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    OffsetRect(&r, origin.x, origin.y);
    return r;
  };
  auto send = [&](HWND to, UINT message, WPARAM w, LPARAM l) { SendMessageA(to, message, w, l); };
  const RECT none{0, 0, 0, 0};
  const LPARAM editParam = reinterpret_cast<LPARAM>(edit);
  struct Case {
    const char* name;
    std::function<void()> act;
    std::function<RECT()> expected;  // exactly these tiles of the window change
  };
  const Case cases[] = {
      {"part of the client repainted", [&] { InvalidateRect(window, &smallPart, FALSE); },
       [&] { return clientToScreen(smallPart); }},
      {"a character typed into the edit", [&] { send(edit, WM_CHAR, 'x', 1); },
       [&] { return windowRect(edit); }},
      {"a button checked", [&] { send(window, BM_SETCHECK, BST_CHECKED, 0); },
       [&] { return clientToScreen(clientRect(window)); }},
      {"scroll thumb dragged", [&] { send(window, WM_HSCROLL, SB_THUMBTRACK, 0); },
       [&] { return windowRect(window); }},
      {"scrolled by a line", [&] { send(window, WM_VSCROLL, SB_LINEDOWN, 0); },
       [&] { return none; }},
      {"popup selection changed", [&] { send(window, 0x01E5, 3, 0); },
       [&] { return windowRect(window); }},
      {"popup selection unchanged", [&] { send(window, 0x01E5, 3, 0); }, [&] { return none; }},
      {"list box colours asked",
       [&] { send(window, kActorSendToSelf, WM_CTLCOLORLISTBOX, editParam); },
       [&] { return windowRect(edit); }},
      {"edit hidden", [&] { ShowWindow(edit, SW_HIDE); }, [&] { return windowRect(edit); }},
      {"typed into the hidden edit", [&] { send(edit, WM_CHAR, 'y', 1); }, [&] { return none; }},
  };
  for (const Case& c : cases) {
    const std::set<Tile> windowTiles = tilesOf(windowRect(window), grid);
    c.act();
    std::set<Tile> changed;
    for (const Tile& t : collect().tiles)
      if (windowTiles.count(t)) changed.insert(t);
    EXPECT_EQ(changed, tilesOf(c.expected(), grid)) << c.name;
  }
  const ATOM atom = GlobalFindAtomA("RFB.WM_Hooks.PopupSelectionAtom");
  EXPECT_EQ(GetPropA(window, reinterpret_cast<LPCSTR>(ULONG_PTR{atom})),
            reinterpret_cast<HANDLE>(3));

  const RECT before = windowRect(window);
  SetWindowPos(window, nullptr, 640, 512, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  const std::set<Tile> moved = collect().tiles;
  for (const Tile& t : tilesOf(before, grid)) EXPECT_TRUE(moved.count(t)) << "left behind";

  // Mouse moves faster than one per 100 ms give one cursor report per 100 ms, from whichever
  // process reports first: the time of the last one lives in the shared section.
  const POINT at{700, 600};
  SetCursorPos(at.x, at.y);
  Sleep(250);  // the pointer's own move is reported and its interval has passed
  collect();
  const LONG lastBefore = shared().lastCursorReport;
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < 20; ++i) send(window, WM_MOUSEMOVE, 0, MAKELPARAM(60, 88));
  const Reports mouse = collect();
  const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now() - start);
  int atCursor = 0;
  for (const POINT& p : mouse.cursors) atCursor += p.x == at.x && p.y == at.y;
  EXPECT_GE(atCursor, 1);
  EXPECT_LE(atCursor, 1 + elapsed.count() / 100) << elapsed.count() << " ms";
  EXPECT_NE(shared().lastCursorReport, lastBefore);
}

}  // namespace
}  // namespace brevan::screensource::test
