// UpdateGate.exe in a directory of its own, with a recorder program as the launcher and the
// property file changed while it waits.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>

#include "program_run_win32.h"
#include "testsupport/child_process_win32.h"

namespace {

using namespace brevan::tools::testing;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr DWORD kLimitMs = 20000;
constexpr char kNoFileLine[] = "Error: could not open property file\r\n";

class UpdateGate : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string name = test->name();
    directory_ = L"C:\\gate\\" + std::wstring(name.begin(), name.end());
    ASSERT_TRUE(makeDirectories(directory_));
  }

  void installLauncher() {
    ASSERT_TRUE(CopyFileW(builtProgram(TOOLS_RECORDER).c_str(), launcher().c_str(), FALSE));
  }
  std::wstring launcher() const { return directory_ + L"\\BrevanLauncher.exe"; }
  bool launched() const { return exists(std::wstring(launcher() + L".record")); }
  void writeProperties(const std::string& text) const {
    ASSERT_TRUE(writeText(directory_ + L"\\Zemtra.txt", text));
  }

  // Runs the gate while `meanwhile` changes its world on another thread.
  ProgramRun runGate(const std::function<void()>& meanwhile = [] {}) {
    std::thread changer(meanwhile);
    ProgramRun run = runProgram(deliverable("UpdateGate.exe"), L"UpdateGate.exe", directory_,
                                kLimitMs);
    changer.join();
    return run;
  }

  std::wstring directory_;
};

TEST_F(UpdateGate, WithoutPropertyFileSaysSoOnceAndStartsTheLauncher) {
  installLauncher();
  const ProgramRun run = runGate();
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.output, kNoFileLine);
  const auto record = brevan::testsupport::readReport(recordOf(launcher()));
  EXPECT_EQ(record.count("commandline"), 1u);
  // No arguments: an empty command line, which Wine hands on as the program's quoted name.
  const std::wstring path = launcher();
  const std::string quotedName = "\"" + std::string(path.begin(), path.end()) + "\"";
  EXPECT_THAT(record.at("commandline"), ::testing::AnyOf("", quotedName));
  EXPECT_EQ(record.at("directory"), "C:\\gate\\WithoutPropertyFileSaysSoOnceAndStartsTheLauncher");
}

TEST_F(UpdateGate, WithoutLauncherEndsWithCodeOne) {
  writeProperties("isReadyForUpdate=0\r\n");
  EXPECT_EQ(runGate().exitCode, 1);
}

TEST_F(UpdateGate, WaitsWhileOneAndStartsSoonAfterZero) {
  installLauncher();
  writeProperties("other=3\r\nisReadyForUpdate=1\r\n");
  Clock::time_point opened;
  bool launchedWhileOne = true;
  const ProgramRun run = runGate([&] {
    std::this_thread::sleep_for(milliseconds(2200));
    launchedWhileOne = launched();
    writeProperties("other=3\r\nisReadyForUpdate=0\r\n");
    opened = Clock::now();
  });
  const auto afterOpening = Clock::now() - opened;
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.output, "");
  EXPECT_FALSE(launchedWhileOne);
  EXPECT_TRUE(launched());
  EXPECT_LT(std::chrono::duration_cast<milliseconds>(afterOpening).count(), 1800)
      << "one poll a second";
}

// The product rewrites its file by truncating it first: an empty file seen once or twice is not
// a reason to start the launcher in the middle of an update.
TEST_F(UpdateGate, RewriteInProgressDoesNotOpenTheGate) {
  installLauncher();
  writeProperties("isReadyForUpdate=1\r\n");
  bool launchedDuringRewrite = true;
  const ProgramRun run = runGate([&] {
    // Empty for well under the 400 ms that three confirming reads take, on a cycle that drifts
    // against the polls. The gate reads the 1 first: a missing reading at start-up opens it.
    std::this_thread::sleep_for(milliseconds(1000));
    for (int rewrite = 0; rewrite < 5; ++rewrite) {
      std::this_thread::sleep_for(milliseconds(450));
      writeProperties("");
      std::this_thread::sleep_for(milliseconds(150));
      writeProperties("isReadyForUpdate=1\r\n");
    }
    launchedDuringRewrite = launched();
    writeProperties("isReadyForUpdate=0\r\n");
  });
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_FALSE(launchedDuringRewrite);
  EXPECT_TRUE(launched());
}

TEST_F(UpdateGate, PropertyGoneForGoodOpensTheGate) {
  installLauncher();
  writeProperties("isReadyForUpdate=1\r\n");
  Clock::time_point removed;
  const ProgramRun run = runGate([&] {
    std::this_thread::sleep_for(milliseconds(1200));
    writeProperties("something=else\r\n");
    removed = Clock::now();
  });
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_TRUE(launched());
  EXPECT_LT(std::chrono::duration_cast<milliseconds>(Clock::now() - removed).count(), 2500);
}

}  // namespace
