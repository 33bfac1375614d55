// CamProbe's rules: the test number, the previous choice, the probe order and the file's text.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "probe_rules.h"

namespace brevan::camprobe {
namespace {

TEST(ProbeRules, TestNumberComesAfterTheProgramName) {
  const struct {
    const char* commandLine;
    int expected;
  } cases[] = {
      {"CamProbe.exe 5", 5},
      {"\"C:\\cam 42\\CamProbe.exe\" 7", 7},
      {"C:\\run42\\CamProbe.exe", kNone},  // the program's own path holds no test number
      {"\"C:\\run42\\CamProbe.exe\"", kNone},
      {"CamProbe.exe test-12", -12},
      {"CamProbe.exe run 33 44", 33},
      {"CamProbe.exe 99999999999", kNone},  // out of range is no number
      {"CamProbe.exe", kNone},
      {"", kNone},
  };
  for (const auto& c : cases) EXPECT_EQ(testNumberOf(c.commandLine), c.expected) << c.commandLine;
}

TEST(ProbeRules, PreviousChoiceFromTheFirstMatchingLine) {
  const struct {
    const char* text;
    int expected;
  } cases[] = {
      {"testIndex = 5\r\r\ncameraDriverIndex = 2\r\r\n", 2},
      {"cameraDriverIndex =    3   \r\r\n", 3},
      {"cameraDriverIndex=4", 4},
      {"cameraDriverIndex = \r\n", kNone},
      {"cameraDriverIndex = x\r\ncameraDriverIndex = 1\r\n", kNone},  // the first line decides
      {"cameraDriverIndex 2\ncameraDriverIndex = 6\n", 6},           // a line needs its "="
      {"cameraDriverIndex = 12\n", kNone},                            // not an index 0-9
      {"cameraDriverIndex = -1\n", kNone},
      {"cameraDriverIndex = 4294967298\n", kNone},
      {"testIndex = 5\n", kNone},
      {"", kNone},
  };
  for (const auto& c : cases) EXPECT_EQ(previousChoiceOf(c.text), c.expected) << c.text;
  // A line longer than the 256-byte buffer is read in pieces; the key in a later piece counts.
  EXPECT_EQ(previousChoiceOf(std::string(300, 'x') + "cameraDriverIndex = 8\n"), 8);
}

TEST(ProbeRules, PreviousChoiceFirstThenTenDownToZero) {
  std::vector<int> probed;
  const auto described = [](int index) { return index <= 3; };
  const auto probesWell = [&](const std::vector<int>& working) {
    return [&probed, working](int index) {
      probed.push_back(index);
      return std::find(working.begin(), working.end(), index) != working.end();
    };
  };
  EXPECT_EQ(chooseDriver(2, described, probesWell({1, 2})), 2);
  EXPECT_EQ(probed, (std::vector<int>{2}));
  probed.clear();
  EXPECT_EQ(chooseDriver(3, described, probesWell({0, 1})), 1);
  EXPECT_EQ(probed, (std::vector<int>{3, 3, 2, 1}));
  probed.clear();
  EXPECT_EQ(chooseDriver(kNone, described, probesWell({})), kNone);
  EXPECT_EQ(probed, (std::vector<int>{3, 2, 1, 0}));
}

TEST(ProbeRules, ResultFileLinesEndInCarriageReturnTwice) {
  EXPECT_EQ(resultFileText(5, -1), "testIndex = 5\r\r\ncameraDriverIndex = -1\r\r\n");
  EXPECT_EQ(resultLine("testIndex", -1), "testIndex = -1\r\n");
}

}  // namespace
}  // namespace brevan::camprobe
