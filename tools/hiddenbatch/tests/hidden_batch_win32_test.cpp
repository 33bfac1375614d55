// HiddenBatch.exe as a user runs it: batch files that record their arguments and working
// directory show what the interpreter was given.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "batch_command.h"
#include "program_run_win32.h"
#include "testsupport/child_process_win32.h"
#include "testsupport/wait.h"

namespace {

using namespace brevan::tools::testing;
using brevan::testsupport::readLines;

const std::wstring kBin = L"C:\\hb\\bin";
const std::wstring kWorkDir = L"C:\\hb\\work dir";
const std::wstring kPlainDir = L"C:\\hb\\plain";
const std::string kRecordFile = "C:\\hb\\bin\\record.txt";
constexpr DWORD kLimitMs = 15000;

class HiddenBatch : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(makeDirectories(kBin));
    ASSERT_TRUE(makeDirectories(kWorkDir));
    ASSERT_TRUE(makeDirectories(kPlainDir));
    ASSERT_TRUE(writeText(kBin + L"\\record.bat",
                          "@>>\"%~dp0record.txt\" echo args %*\r\n"
                          "@>>\"%~dp0record.txt\" cd\r\n"));
  }
  void SetUp() override { DeleteFileA(kRecordFile.c_str()); }

  static ProgramRun run(const std::wstring& arguments, const std::wstring& directory) {
    return runProgram(deliverable("HiddenBatch.exe"), L"HiddenBatch.exe" + arguments, directory,
                      kLimitMs);
  }

  // The two lines the batch file writes: its arguments and its working directory.
  static std::vector<std::string> record() {
    std::vector<std::string> lines;
    brevan::testsupport::waitUntil(std::chrono::milliseconds(kLimitMs), [&] {
      lines = readLines(kRecordFile);
      return lines.size() >= 2;
    });
    return lines;
  }
};

TEST_F(HiddenBatch, WithoutCommandPrintsTheUsageText) {
  for (const wchar_t* arguments : {L"", L"  ", L" \"\""}) {
    const ProgramRun usage = run(arguments, kPlainDir);
    EXPECT_EQ(usage.exitCode, 1);
    EXPECT_EQ(usage.output, brevan::hiddenbatch::kUsageText);
  }
}

TEST_F(HiddenBatch, UsageExampleRunsWithDoubleQuotesInTheGivenDirectory) {
  const ProgramRun run = HiddenBatch::run(
      L" \"" + kBin + L"\\record.bat 'c:\\Program Files\\MyApp' two\" \"" + kWorkDir + L"\"",
      kPlainDir);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.output, "");
  EXPECT_EQ(record(), (std::vector<std::string>{"args \"c:\\Program Files\\MyApp\" two",
                                                "C:\\hb\\work dir"}));
}

TEST_F(HiddenBatch, PlainCommandRunsInTheCurrentDirectory) {
  // Two spaces separate like one.
  const ProgramRun run = HiddenBatch::run(L"  " + kBin + L"\\record.bat", kPlainDir);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(record(), (std::vector<std::string>{"args ", "C:\\hb\\plain"}));
}

TEST_F(HiddenBatch, LongCommandsRunWhole) {
  const std::string argument(700, 'x');
  const ProgramRun run = HiddenBatch::run(
      L" \"" + kBin + L"\\record.bat " + std::wstring(argument.begin(), argument.end()) + L"\"",
      kPlainDir);
  EXPECT_EQ(run.exitCode, 0);
  const auto lines = record();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0], "args " + argument);
}

// A program named like the interpreter in the working directory is never the one started.
TEST_F(HiddenBatch, InterpreterComesFromTheSystemDirectory) {
  const std::wstring planted = kWorkDir + L"\\cmd.exe";
  ASSERT_TRUE(CopyFileW(builtProgram(TOOLS_RECORDER).c_str(), planted.c_str(), FALSE));
  const ProgramRun run = HiddenBatch::run(L" \"" + kBin + L"\\record.bat planted\" \"" + kWorkDir +
                                              L"\"",
                                          kWorkDir);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(record(), (std::vector<std::string>{"args planted", "C:\\hb\\work dir"}));
  EXPECT_FALSE(exists(std::wstring(L"C:\\hb\\work dir\\cmd.exe.record")));
  DeleteFileW(planted.c_str());
}

}  // namespace
