// CamProbe.exe under Wine, run as a copy in a folder of its own beside the stand-in capture
// library (chosen over Wine's own by the prefix's per-program overrides): which index it
// records, which drivers it probes, with which window ids, and the result file's bytes.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "jnitest/library.h"
#include "standin_config.h"
#include "testsupport/child_process_win32.h"
#include "testsupport/files.h"

namespace brevan::camprobe::test {
namespace {

constexpr wchar_t kOverrideKey[] = L"Software\\Wine\\AppDefaults\\CamProbe.exe\\DllOverrides";

class CamProbe : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kOverrideKey, 0, nullptr, 0, KEY_SET_VALUE,
                              nullptr, &key, nullptr), ERROR_SUCCESS);
    const wchar_t order[] = L"native,builtin";
    RegSetValueExW(key, L"avicap32", 0, REG_SZ, reinterpret_cast<const BYTE*>(order), sizeof(order));
    RegCloseKey(key);
  }
  static void TearDownTestSuite() { RegDeleteKeyW(HKEY_CURRENT_USER, kOverrideKey); }

  void SetUp() override {
    // Digits in the program's own path must not pass for a test number.
    folder = testsupport::scratchPath("probe42");
    CreateDirectoryA(folder.c_str(), nullptr);
    ASSERT_TRUE(CopyFileA(jnitest::hostPath(CAMPROBE_EXE).c_str(), (folder + "\\CamProbe.exe").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(jnitest::hostPath(STANDIN_DLL).c_str(), (folder + "\\avicap32.dll").c_str(), FALSE));
    config = folder + "\\standin.txt";
    SetEnvironmentVariableA(camcapture::standin::kConfigVariable, config.c_str());
  }
  void TearDown() override {
    for (const char* name : {"CamProbe.exe", "avicap32.dll", "CamProbe.txt", "standin.txt", "standin.txt.log"})
      DeleteFileA((folder + "\\" + name).c_str());
    RemoveDirectoryA((folder + "\\CamProbe.txt").c_str());
    RemoveDirectoryA(folder.c_str());
  }

  void configure(const std::string& text) {
    std::ofstream(config, std::ios::trunc) << text;
    DeleteFileA((config + ".log").c_str());
  }
  void previousFile(const std::string& text) {
    std::ofstream(folder + "\\CamProbe.txt", std::ios::binary | std::ios::trunc) << text;
  }
  // Runs the copy with the arguments in its folder; the exit code.
  int run(const std::string& arguments) {
    char previous[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, previous);
    SetCurrentDirectoryA(folder.c_str());
    const std::string program = folder + "\\CamProbe.exe";
    testsupport::ChildProcess child(std::wstring(program.begin(), program.end()),
                                    std::wstring(arguments.begin(), arguments.end()));
    const int code = child.started() ? child.wait(30000) : -2;
    SetCurrentDirectoryA(previous);
    return code;
  }
  std::string result() {
    const auto bytes = testsupport::readFile(folder + "\\CamProbe.txt");
    return std::string(bytes.begin(), bytes.end());
  }
  std::vector<std::string> logged(const std::string& prefix) {
    std::vector<std::string> lines;
    for (const auto& line : testsupport::readLines(config + ".log"))
      if (line.rfind(prefix, 0) == 0) lines.push_back(line);
    return lines;
  }

  std::string folder;
  std::string config;
};

TEST_F(CamProbe, NoDriverRecordsMinusOne) {
  configure("");
  EXPECT_EQ(run(" 5"), 0);
  EXPECT_EQ(result(), "testIndex = 5\r\r\ncameraDriverIndex = -1\r\r\n");
  EXPECT_EQ(run(""), 0);
  EXPECT_EQ(result(), "testIndex = -1\r\r\ncameraDriverIndex = -1\r\r\n");
}

TEST_F(CamProbe, ProbesTenDownToZeroWithWindowIdsFrom42) {
  configure("driver 0 1 A\ndriver 1 1 B\ndriver 2 1 C\ndriver 3 0 D\n");
  EXPECT_EQ(run(" 7"), 0);
  EXPECT_EQ(result(), "testIndex = 7\r\r\ncameraDriverIndex = 2\r\r\n");
  EXPECT_EQ(logged("connect"), (std::vector<std::string>{"connect 3 0", "connect 2 1"}));
  const auto created = logged("create");
  ASSERT_EQ(created.size(), 2u);
  EXPECT_EQ(created[0], "create Capture Window 0x50000000 0 0 320 240 1 42");
  EXPECT_EQ(created[1].substr(created[1].rfind(' ') + 1), "43");
  EXPECT_EQ(logged("disconnect").size(), 2u);
}

TEST_F(CamProbe, ThePreviousChoiceIsTriedFirst) {
  configure("driver 0 1 A\ndriver 1 1 B\ndriver 2 1 C\ndriver 3 0 D\n");
  previousFile("testIndex = 1\r\r\ncameraDriverIndex =  1 \r\r\n");
  EXPECT_EQ(run(" 1"), 0);
  EXPECT_EQ(logged("connect"), (std::vector<std::string>{"connect 1 1"}));
  EXPECT_EQ(result(), "testIndex = 1\r\r\ncameraDriverIndex = 1\r\r\n");

  previousFile("cameraDriverIndex = 3\r\r\n");  // no longer connecting
  configure("driver 0 1 A\ndriver 1 1 B\ndriver 3 0 D\n");
  EXPECT_EQ(run(" 1"), 0);
  EXPECT_EQ(logged("connect"), (std::vector<std::string>{"connect 3 0", "connect 3 0", "connect 1 1"}));
  EXPECT_EQ(result(), "testIndex = 1\r\r\ncameraDriverIndex = 1\r\r\n");
}

TEST_F(CamProbe, AResultFileThatCannotBeCreatedIsNotWritten) {
  configure("driver 0 1 A\n");
  CreateDirectoryA((folder + "\\CamProbe.txt").c_str(), nullptr);
  EXPECT_EQ(run(" 3"), 0);
  EXPECT_EQ(GetFileAttributesA((folder + "\\CamProbe.txt").c_str()) & FILE_ATTRIBUTE_DIRECTORY,
            DWORD(FILE_ATTRIBUTE_DIRECTORY));
}

}  // namespace
}  // namespace brevan::camprobe::test
