#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "property_reading.h"
#include "update_gate.h"

namespace brevan::updategate {
namespace {

constexpr char kName[] = "isReadyForUpdate";

std::string describe(const Reading& reading) {
  switch (reading.kind) {
    case ReadingKind::kValue: return std::to_string(reading.value);
    case ReadingKind::kNoFile: return "no file";
    case ReadingKind::kNoProperty: return "no property";
    case ReadingKind::kNoNumber: return "no number";
  }
  return "?";
}

TEST(PropertyReading, FirstLineBeginningWithTheNameDecides) {
  const struct {
    const char* contents;
    const char* reading;
  } cases[] = {
      {"", "no property"},
      {"isReadyForUpdate=1", "1"},
      {"isReadyForUpdate=0\n", "0"},
      {"a=1\r\nisReadyForUpdate=1\r\nb=2\r\n", "1"},
      {"isReadyForUpdateLater=1\nisReadyForUpdate=0\n", "1"},  // only the start is compared
      {"isReadyForUpdate = 1", "1"},
      {"isReadyForUpdate=  -7 apples", "-7"},
      {"isReadyForUpdate=+12", "12"},
      {"isReadyForUpdate==1", "no number"},
      {"isReadyForUpdate", "no number"},
      {"isReadyForUpdate=\nisReadyForUpdate=1", "no number"},  // the first line decides
      {"isReadyForUpdate=x", "no number"},
      {"isReadyForUpdate=2147483647", "2147483647"},
      {"isReadyForUpdate=-2147483648", "-2147483648"},
      {"isReadyForUpdate=2147483648", "no number"},  // out of range is not a number
      {"isReadyForUpdate=99999999999999999999999", "no number"},
      {" isReadyForUpdate=1", "no property"},
      {"isreadyforupdate=1", "no property"},
      {"isReady", "no property"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(describe(readProperty(c.contents, kName)), c.reading) << c.contents;
  }
}

TEST(PropertyReading, DecimalNumbersReadLikeScanfWithinRange) {
  for (long long n : {0LL, 1LL, -1LL, 42LL, 1000000LL, LLONG_MIN / 4, (long long)INT_MAX,
                      (long long)INT_MIN, (long long)INT_MAX + 1, (long long)INT_MIN - 1}) {
    const auto parsed = parseDecimal(" " + std::to_string(n) + "rest");
    if (n >= INT_MIN && n <= INT_MAX) {
      EXPECT_EQ(parsed, std::optional<int>(int(n))) << n;
    } else {
      EXPECT_FALSE(parsed) << n;
    }
  }
  EXPECT_FALSE(parseDecimal("-"));
  EXPECT_FALSE(parseDecimal(""));
}

// A property file whose readings follow a script, on a clock that only moves when the gate
// sleeps.
struct ScriptedFile {
  std::vector<Reading> readings;  // the last one repeats
  size_t reads = 0;
  int nowMs = 0;

  void run() {
    waitUntilOpen(
        [this] { return readings[std::min(reads++, readings.size() - 1)]; },
        [this](int ms) { nowMs += ms; });
  }
};

const Reading kOne = Reading::of(1);
const Reading kZero = Reading::of(0);
const Reading kNoFile = Reading::missing(ReadingKind::kNoFile);
const Reading kNoProperty = Reading::missing(ReadingKind::kNoProperty);
const Reading kNoNumber = Reading::missing(ReadingKind::kNoNumber);

TEST(UpdateGate, OpensWhenTheValueIsNoLongerOne) {
  const struct {
    const char* label;
    std::vector<Reading> readings;
    size_t reads;
    int openedAtMs;
  } cases[] = {
      {"0 at once", {kZero}, 1, 0},
      {"another value at once", {Reading::of(5)}, 1, 0},
      {"no file at start-up", {kNoFile}, 1, 0},
      {"no property at start-up", {kNoProperty}, 1, 0},
      {"1 then 0", {kOne, kOne, kZero}, 3, 2000},
      {"1 then another value", {kOne, Reading::of(2)}, 2, 1000},
      {"1, then missing three times", {kOne, kNoFile, kNoProperty, kNoNumber}, 4, 1400},
      {"a rewrite caught once", {kOne, kNoFile, kOne, kZero}, 4, 2200},
      {"a rewrite caught twice", {kOne, kNoProperty, kNoNumber, kOne, kZero}, 5, 2400},
      {"missing, then 0 while confirming", {kOne, kNoFile, kZero}, 3, 1200},
      {"confirmations start over after a 1",
       {kOne, kNoFile, kNoFile, kOne, kNoFile, kNoFile, kNoFile}, 7, 2800},
  };
  for (const auto& c : cases) {
    ScriptedFile file{c.readings};
    file.run();
    EXPECT_EQ(file.reads, c.reads) << c.label;
    EXPECT_EQ(file.nowMs, c.openedAtMs) << c.label;
  }
}

// Against a plain model: random scripts open the gate at the first reading that is a value
// other than 1, or that completes three missing readings in a row after some 1; never sooner.
TEST(UpdateGate, OpensExactlyWhereThePlainRuleSays) {
  const Reading kinds[] = {kOne, kOne, kOne, kZero, kNoFile, kNoProperty, kNoNumber};
  unsigned seed = 12345;
  auto next = [&seed] { return (seed = seed * 1103515245u + 12345u) >> 16; };
  for (int round = 0; round < 2000; ++round) {
    std::vector<Reading> readings;
    for (int i = 0; i < 12; ++i) readings.push_back(kinds[next() % 7]);
    readings.push_back(kZero);
    size_t expected = 0;
    bool sawOne = false;
    int missing = 0;
    for (; expected < readings.size(); ++expected) {
      const Reading& r = readings[expected];
      if (r.kind == ReadingKind::kValue) {
        if (r.value != 1) break;
        sawOne = true;
        missing = 0;
      } else if (!sawOne || ++missing == 3) {
        break;
      }
    }
    ScriptedFile file{readings};
    file.run();
    ASSERT_EQ(file.reads, expected + 1) << "round " << round;
  }
}

}  // namespace
}  // namespace brevan::updategate
