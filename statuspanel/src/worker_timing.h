// How long the panel stays up after the controller was asked: about four seconds in all, shown
// on the progress bar one step a second.
#pragma once

#include <cstdint>

namespace brevan::statuspanel {

constexpr int kProgressMinimum = 0;
constexpr int kProgressMaximum = 100;
constexpr int kProgressStep = 5;
constexpr unsigned kStepPauseMs = 1000;

// Seconds left to show (one progress step each) when the launches took `elapsedMs`: 4 for
// under a second, 1 for 3000 to 3999 ms, none from 4000 ms on.
int remainingProgressSteps(uint64_t elapsedMs);

}  // namespace brevan::statuspanel
