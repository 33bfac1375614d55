#include "worker_timing.h"

#include <gtest/gtest.h>

namespace brevan::statuspanel {
namespace {

TEST(WorkerTiming, StepsLeftForTheTimeTheLaunchesTook) {
  const struct {
    uint64_t elapsedMs;
    int steps;
  } cases[] = {{0, 4},    {1, 4},    {999, 4},  {1000, 3}, {1999, 3},  {2000, 2},         {2999, 2},
               {3000, 1}, {3999, 1}, {4000, 0}, {4001, 0}, {60000, 0}, {0xFFFFFFFFull, 0}};
  for (const auto& c : cases) {
    EXPECT_EQ(remainingProgressSteps(c.elapsedMs), c.steps) << c.elapsedMs << " ms";
  }
}

TEST(WorkerTiming, AllStepsFitTheBar) {
  EXPECT_LE(kProgressMinimum + remainingProgressSteps(0) * kProgressStep, kProgressMaximum);
  // A panel whose launches were quick spends about four seconds in all.
  for (uint64_t elapsed = 0; elapsed < 4000; elapsed += 7) {
    const uint64_t total = elapsed + uint64_t(remainingProgressSteps(elapsed)) * kStepPauseMs;
    EXPECT_GE(total, 4000u) << elapsed;
    EXPECT_LT(total, 5000u) << elapsed;
  }
}

}  // namespace
}  // namespace brevan::statuspanel
