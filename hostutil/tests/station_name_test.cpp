#include "station_name.h"

#include <gtest/gtest.h>

namespace brevan::hostutil {
namespace {

TEST(WindowStationNumber, ReadsTheDigitThatTheGreedyGroupLeaves) {
  struct Case {
    const char16_t* name;
    int number;
  };
  const Case cases[] = {
      {u"WinSta0", 0},
      {u"WinSta7", 7},
      // The greedy first group keeps all but the last digit of a run.
      {u"WinSta12", 2},
      // The match need not reach the end of the name.
      {u"Service-0x0-3e7$", 7},
      {u"Sta4ion", 4},
      {u"9", 9},
      {u"WinSta", -1},
      {u"", -1},
      // Only ASCII digits count.
      {u"WinSta\u0663", -1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(windowStationNumber(c.name), c.number);
  }
}

}  // namespace
}  // namespace brevan::hostutil
