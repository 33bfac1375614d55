// WinToggle.exe against the windows of another process.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>

#include "program_run_win32.h"
#include "testsupport/child_process_win32.h"
#include "testsupport/wait.h"

namespace {

using namespace brevan::tools::testing;
using brevan::testsupport::ChildProcess;

constexpr DWORD kLimitMs = 10000;
const std::string kReadyFile = "C:\\wintoggle-ready.txt";

class WinToggle : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    DeleteFileA(kReadyFile.c_str());
    windows_ = std::make_unique<ChildProcess>(builtProgram(WINTOGGLE_TEST_WINDOWS),
                                              std::wstring(kReadyFile.begin(), kReadyFile.end()));
    ASSERT_TRUE(brevan::testsupport::waitForLine(kReadyFile, "ready", kLimitMs));
  }
  static void TearDownTestSuite() { windows_.reset(); }

  static int toggle(const std::wstring& arguments) {
    return runProgram(deliverable("WinToggle.exe"), L"WinToggle.exe " + arguments, L"", kLimitMs)
        .exitCode;
  }
  static HWND window(const std::string& title) { return FindWindowA(nullptr, title.c_str()); }
  static HWND child() {
    return FindWindowExA(window("Frame Without Match"), nullptr, nullptr, "Inner Child Caption");
  }
  // The show state reached, allowing for its being applied by the window's own thread.
  static bool becomes(HWND window, bool visible) {
    return brevan::testsupport::waitUntil(std::chrono::milliseconds(3000), [&] {
      return bool(IsWindowVisible(window)) == visible;
    });
  }

  static std::unique_ptr<ChildProcess> windows_;
};

std::unique_ptr<ChildProcess> WinToggle::windows_;

TEST_F(WinToggle, OnlyTheFirstMatchingWindowChanges) {
  HWND one = window("Toggle Alpha One");
  HWND two = window("Toggle Alpha Two");
  ASSERT_TRUE(one && two);
  EXPECT_EQ(toggle(L"\"Toggle Alpha\" /hid"), 0);  // any letter case
  ASSERT_TRUE(brevan::testsupport::waitUntil(std::chrono::milliseconds(3000), [&] {
    return !IsWindowVisible(one) || !IsWindowVisible(two);
  }));
  Sleep(200);
  EXPECT_NE(bool(IsWindowVisible(one)), bool(IsWindowVisible(two)));
  EXPECT_EQ(toggle(L"'Toggle Alpha' /VIS"), 0);
  EXPECT_TRUE(becomes(one, true));
  EXPECT_TRUE(becomes(two, true));
}

TEST_F(WinToggle, ChildIsFoundWhenNoTopLevelWindowMatches) {
  HWND inner = child();
  ASSERT_TRUE(inner);
  EXPECT_EQ(toggle(L"Caption /HIDSUB"), 0);
  EXPECT_TRUE(becomes(inner, false));
  EXPECT_EQ(toggle(L"\"Inner Child\" /VIS"), 0);
  EXPECT_TRUE(becomes(inner, true));
}

TEST_F(WinToggle, ApostropheInsideDoubleQuotesIsPartOfTheTitle) {
  HWND bob = window("Bob's Window");
  ASSERT_TRUE(bob);
  EXPECT_EQ(toggle(L"\"Bob's Window\" /HID"), 0);
  EXPECT_TRUE(becomes(bob, false));
  EXPECT_EQ(toggle(L"\"b's Win\" /VISSUB"), 0);
  EXPECT_TRUE(becomes(bob, true));
}

TEST_F(WinToggle, TitlesUpToTheReadLimitMatchLongerTextsNever) {
  HWND m = window(std::string(255, 'M'));
  HWND l = window(std::string(300, 'L'));
  ASSERT_TRUE(m && l);
  EXPECT_EQ(toggle(std::wstring(300, L'L') + L" /HID"), 0);
  EXPECT_EQ(toggle(std::wstring(255, L'M') + L" /HID"), 0);
  EXPECT_TRUE(becomes(m, false));
  EXPECT_TRUE(IsWindowVisible(l));
  EXPECT_EQ(toggle(std::wstring(255, L'M') + L" /VIS"), 0);
  EXPECT_TRUE(becomes(m, true));
}

TEST_F(WinToggle, UnknownOptionsAndLoneQuotesDoNothing) {
  HWND bob = window("Bob's Window");
  for (const wchar_t* arguments : {L"Bob /HIDX", L"Bob /HI", L"Bob", L"\"", L"Bob \"", L"\" /HID"}) {
    EXPECT_EQ(toggle(arguments), 0) << arguments;
  }
  Sleep(300);
  EXPECT_TRUE(IsWindowVisible(bob));
}

// A window whose thread does not answer cannot hold the tool.
TEST_F(WinToggle, HungWindowDoesNotHoldTheTool) {
  ASSERT_TRUE(window("Hung Window"));
  const auto started = std::chrono::steady_clock::now();
  EXPECT_EQ(toggle(L"\"Hung Window\" /HID"), 0);
  const auto elapsed = std::chrono::steady_clock::now() - started;
  EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count(), 5000);
}

}  // namespace
