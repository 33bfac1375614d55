#include "signal_attempts.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace brevan::statuspanel {
namespace {

// Runs the attempts against a script of connect results and records what happened, one letter
// a step: c (connected), r (refused), p (pause).
struct AttemptRun {
  // 'y' or 'n' per attempt that is reached; "started" reads false from the start, or after
  // `stopStartedAfter` attempts when that is not negative.
  explicit AttemptRun(std::string script, bool startedAtFirst = true, int stopStartedAfter = -1)
      : script(std::move(script)),
        startedAtFirst(startedAtFirst),
        stopStartedAfter(stopStartedAfter) {}

  std::string script;
  bool startedAtFirst;
  int stopStartedAfter;

  std::string trace;
  bool result = false;

  AttemptRun& go() {
    int attempts = 0;
    SignalSteps steps{
        [&] { return stopStartedAfter >= 0 ? attempts < stopStartedAfter : startedAtFirst; },
        [&] {
          const bool ok = size_t(attempts) < script.size() && script[size_t(attempts)] == 'y';
          ++attempts;
          trace += ok ? 'c' : 'r';
          return ok;
        },
        [&] { trace += 'p'; }};
    result = connectWithRetries(steps);
    return *this;
  }
};

TEST(SignalAttempts, ThreeTriesAtMostEachFollowedByAPause) {
  const struct {
    const char* script;
    const char* trace;
    bool result;
  } cases[] = {
      {"y", "cp", true},        {"ny", "rpcp", true},      {"nny", "rprpcp", true},
      {"nnn", "rprprp", false}, {"nnny", "rprprp", false},  // a fourth attempt is never made
  };
  for (const auto& c : cases) {
    AttemptRun run{c.script};
    run.go();
    EXPECT_EQ(run.trace, c.trace) << c.script;
    EXPECT_EQ(run.result, c.result) << c.script;
  }
}

TEST(SignalAttempts, NothingIsTriedWhenNothingWasStarted) {
  AttemptRun run{"yyy", false};
  EXPECT_FALSE(run.go().result);
  EXPECT_EQ(run.trace, "");
}

TEST(SignalAttempts, StartedIsAskedBeforeEveryAttempt) {
  AttemptRun run{"nnn", true, 1};
  EXPECT_FALSE(run.go().result);
  EXPECT_EQ(run.trace, "rp");
}

}  // namespace
}  // namespace brevan::statuspanel
