#include "input_injector.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "recording_input_backend.h"

namespace brevan::screensource::test {
namespace {

using Calls = std::vector<std::string>;

constexpr int kLeftDown = 128, kMoveOnly = 131, kLeftUp = 132, kRightUp = 134, kWheel = 135;
constexpr int kKeyA = 0x41, kKeyB = 0x42, kCtrl = 0x11, kCapsLock = 0x14, kNumLock = 0x90;

// What a successful switch from `from` to `to` records: the move, the modifier releases in both
// forms, the old handle closed.
Calls switchCalls(const std::string& to, const std::string& from) {
  return {"set " + to, "key 0x12 2", "key 0x12 3", "key 0x11 2", "key 0x11 3", "close " + from};
}

Calls operator+(Calls a, const Calls& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

struct Session {
  RecordingInputBackend backend;
  InputInjector injector{backend};

  Calls pass() {
    backend.calls.clear();
    injector.runPass();
    return backend.calls;
  }
};

TEST(InputInjector, MouseActionCodesBecomeTheirEvents) {
  struct Case {
    int code, x, y;
    Calls expected;
  };
  const Case cases[] = {
      {128, 10, 20, {"cursor 10 20", "mouse 0x3 0"}},
      {129, 10, 20, {"cursor 10 20", "mouse 0x21 0"}},
      {130, 10, 20, {"cursor 10 20", "mouse 0x9 0"}},
      {131, 10, 20, {"cursor 10 20"}},
      {132, 10, 20, {"cursor 10 20", "mouse 0x5 0"}},
      {133, 10, 20, {"cursor 10 20", "mouse 0x41 0"}},
      {134, 10, 20, {"cursor 10 20", "mouse 0x11 0"}},
      {135, 2, 20, {"mouse 0x801 -240"}},  // the wheel never moves the cursor
      {135, -3, 20, {"mouse 0x801 360"}},
      {135, 2000000000, 0, {"mouse 0x801 -2147483640"}},  // clamped, no overflow
      {7, 30, 40, {"cursor 30 40"}},
      {136, 30, 40, {"cursor 30 40"}},
  };
  Session s;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    s.injector.postMouse(c.code, c.x, c.y);
    EXPECT_EQ(s.pass(), c.expected);
  }
}

TEST(InputInjector, KeysAreExtendedOnlyWhereAStandardKeyboardHasThem) {
  struct Case {
    int key;
    bool down;
    Calls expected;
  };
  const Case cases[] = {
      {kKeyA, true, {"key 0x41 0"}},
      {kKeyA, false, {"key 0x41 2"}},
      {0x12, true, {"key 0x12 0"}},  // left Alt stays left Alt, not AltGr
      {0x0D, true, {"key 0x0d 0"}},  // Enter, not keypad Enter
      {0xA5, true, {"key 0xa5 1"}},
      {0x2E, false, {"key 0x2e 3"}},
      {0x25, true, {"key 0x25 1"}},
      {0x6F, true, {"key 0x6f 1"}},
      {kNumLock, true, {"key 0x90 1"}},
      {0, true, {}},
      {255, true, {}},
      {0x141, true, {}},
      {-1, true, {}},  // not keys
  };
  Session s;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    s.injector.postKey(c.key, c.down);
    EXPECT_EQ(s.pass(), c.expected);
  }
}

// Ctrl-Alt-Del first; key and mouse in the order they came, so a mouse-up before a Ctrl-up
// ends a copy-drag as a copy.
TEST(InputInjector, CtrlAltDelThenRequestsInPostingOrder) {
  const Calls ctrlAltDel = switchCalls("Winlogon", "Default") +
                           Calls{"broadcast 0x312 0 0x2e0003"} + switchCalls("Default", "Winlogon");
  for (const bool mouseFirst : {true, false}) {
    SCOPED_TRACE(mouseFirst);
    Session s;
    if (mouseFirst) s.injector.postMouse(kLeftUp, 5, 6);
    s.injector.postKey(kCtrl, false);
    if (!mouseFirst) s.injector.postMouse(kLeftUp, 5, 6);
    EXPECT_FALSE(s.injector.postCtrlAltDel());
    EXPECT_TRUE(s.injector.postCtrlAltDel());  // already pending: one broadcast below
    const Calls key = {"key 0x11 2"}, mouse = {"cursor 5 6", "mouse 0x5 0"};
    EXPECT_EQ(s.pass(), ctrlAltDel + (mouseFirst ? mouse + key : key + mouse));
  }
}

TEST(InputInjector, CtrlAltDelIsNeverBroadcastOnTheUsersOwnDesktop) {
  Session s;
  s.backend.unopenable = {"Winlogon"};
  s.injector.postCtrlAltDel();
  EXPECT_EQ(s.pass(), Calls{});
}

// After an injected move, the local mouse is checked against where the cursor really went.
TEST(InputInjector, LocalMoveOfMoreThanFivePixelsHoldsInputBack) {
  struct Case {
    int x, y, dx, dy;
    bool held;
  };
  const Case cases[] = {
      {200, 200, 3, 2, false},
      {200, 200, 0, 5, false},
      {200, 200, 6, 0, true},
      {200, 200, -4, -2, true},
      {5000, 300, 0, 0, false},  // clipped by the system, not a local
                                 // move
      {5000, 300, 0, -6, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.x << "," << c.y << " by " << c.dx << "," << c.dy);
    Session s;
    s.injector.postMouse(kMoveOnly, c.x, c.y);
    s.pass();
    s.backend.moveLocally(c.dx, c.dy);
    s.injector.postKey(kKeyA, true);
    EXPECT_EQ(s.pass(), c.held ? Calls{} : Calls{"key 0x41 0"});
    EXPECT_EQ(s.injector.localActive(), c.held);
  }
}

TEST(InputInjector, LocalHoldLastsFiveSecondsAndLetsReleasesThrough) {
  Session s;
  s.injector.postKey(kKeyA, true);
  s.pass();
  s.injector.postMouse(kLeftDown, 100, 100);
  s.pass();
  s.backend.moveLocally(10, 0);
  s.injector.postMouse(kMoveOnly, 50, 50);
  EXPECT_EQ(s.pass(), Calls{});

  s.backend.clockMs += 4999;
  EXPECT_TRUE(s.injector.localActive());
  struct Step {
    bool key;
    int codeOrKey;
    bool down;
    Calls expected;
  };
  const Step held[] = {
      {true, kKeyB, false, {}},              // never pressed by the injector
      {true, kKeyA, false, {"key 0x41 2"}},  // pressed before: released
      {true, kKeyA, false, {}},              // already released
      {false, kRightUp, false, {}},
      {false, kLeftUp, false, {"mouse 0x5 0"}},  // released where the user has the cursor
      {false, kLeftDown, true, {}},
      {false, kWheel, true, {}},
  };
  for (const Step& step : held) {
    SCOPED_TRACE(step.codeOrKey);
    if (step.key) s.injector.postKey(step.codeOrKey, step.down);
    if (!step.key) s.injector.postMouse(step.codeOrKey, 1, 1);
    EXPECT_EQ(s.pass(), step.expected);
  }

  s.backend.clockMs += 1;
  EXPECT_FALSE(s.injector.localActive());
  s.injector.postKey(kKeyB, true);
  EXPECT_EQ(s.pass(), Calls{"key 0x42 0"});
}

// The second post waits for the worker to take the first, at most 1000 ms, then overwrites.
TEST(InputInjector, PostingWaitsForTheWorkerThenOverwrites) {
  struct Case {
    int workerTakesAfterSleeps;  // 0: the worker never comes
    Calls injected;
    uint64_t waitedMs;
  };
  const Case cases[] = {
      {0, {"key 0x42 0"}, 1000},
      {3, {"key 0x41 0", "key 0x42 0"}, 30},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.workerTakesAfterSleeps);
    Session s;
    s.backend.onSleep = [&](int sleeps) {
      if (sleeps == c.workerTakesAfterSleeps) s.injector.runPass();
    };
    s.injector.postKey(kKeyA, true);
    const uint64_t start = s.backend.clockMs;
    s.injector.postKey(kKeyB, true);
    EXPECT_EQ(s.backend.clockMs - start, c.waitedMs);
    s.injector.runPass();
    EXPECT_EQ(s.backend.calls, c.injected);
  }
}

TEST(InputInjector, DesktopSwitchFailureLeavesTheThreadAndStillInjects) {
  struct Case {
    const char* label;
    bool inputUnopenable, failSet, failClose;
    Calls onePass;
    std::string desktopAfter;
  };
  const Calls failedSet = {"close Default"};
  const Calls failedSetAndClose = {"close Default",
                                   "debug SelectDesktop failed to close desktop\n"};
  const Case cases[] = {
      {"switched", false, false, false,
       switchCalls("Default", "Screen-saver") + Calls{"key 0x41 0"}, "Default"},
      {"cannot open", true, false, false, {"key 0x41 0"}, "Screen-saver"},
      // Tried for the pass and again for the key.
      {"cannot set", false, true, false, failedSet + failedSet + Calls{"key 0x41 0"},
       "Screen-saver"},
      {"cannot set or close", false, true, true,
       failedSetAndClose + failedSetAndClose + Calls{"key 0x41 0"}, "Screen-saver"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    Session s;
    s.backend.putThreadOn("Screen-saver");
    if (c.inputUnopenable) s.backend.unopenable = {"Default"};
    s.backend.failSetThreadDesktop = c.failSet;
    s.backend.failClose = c.failClose;
    s.injector.postKey(kKeyA, true);
    EXPECT_EQ(s.pass(), c.onePass);
    EXPECT_EQ(s.backend.threadDesktopName(), c.desktopAfter);
  }
}

TEST(InputInjector, IdleWorkerChecksTheDesktopEveryFiftyPasses) {
  Session s;
  s.backend.putThreadOn("Screen-saver");
  for (int i = 1; i < InputInjector::kPassesPerCheck; ++i) ASSERT_EQ(s.pass(), Calls{}) << i;
  EXPECT_EQ(s.pass(), switchCalls("Default", "Screen-saver"));
}

TEST(InputInjector, WatchdogNudgesTheCursorWhileTheWorkerStands) {
  Session s;
  s.backend.cursor = {300, 300};
  struct Step {
    bool workerPass;
    Calls expected;
  };
  const Step steps[] = {
      {false, {}},  // first look
      {false, {"cursor 301 300"}},
      {false, {"cursor 300 300"}},
      {true, {}},
      {false, {"cursor 301 300"}},
  };
  for (const Step& step : steps) {
    if (step.workerPass) s.injector.runPass();
    s.backend.calls.clear();
    s.injector.watchdogCheck();
    EXPECT_EQ(s.backend.calls, step.expected);
  }
}

TEST(InputInjector, ToggleStateIsReadAndSetOnTheCallingThread) {
  struct Case {
    int key;
    uint16_t state;
    bool on;
    int before;
    Calls expected;
  };
  const Case cases[] = {
      {kCapsLock, 0x0001, true, 1, {}},
      {kCapsLock, 0xFF80, true, 0, {"key 0x14 0", "key 0x14 2"}},
      {kCapsLock, 0xFF81, false, 1, {"key 0x14 0", "key 0x14 2"}},
      {kNumLock, 0x0001, false, 1, {"key 0x90 1", "key 0x90 3"}},
      {kNumLock, 0x0000, false, 0, {}},
      {0x114, 0x0001, false, 0, {}},  // not a key: nothing read, nothing injected
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    Session s;
    s.backend.keyStates[static_cast<uint8_t>(c.key)] = c.state;
    EXPECT_EQ(s.injector.keyToggleState(c.key), c.before);
    EXPECT_EQ(s.injector.setKeyToggleState(c.key, c.on), c.before);
    EXPECT_EQ(s.backend.calls, c.expected);
  }
}

}  // namespace
}  // namespace brevan::screensource::test
