#include "worker_timing.h"

namespace brevan::statuspanel {

int remainingProgressSteps(uint64_t elapsedMs) {
  constexpr uint64_t kShownMs = 4000;
  if (elapsedMs >= kShownMs) return 0;
  return int((kShownMs + 999 - elapsedMs) / 1000);
}

}  // namespace brevan::statuspanel
