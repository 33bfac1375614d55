#include "update_gate.h"

namespace brevan::updategate {

void waitUntilOpen(const std::function<Reading()>& read, const std::function<void(int)>& sleepMs) {
  bool sawWaiting = false;
  int missingInARow = 0;
  for (Reading reading = read();; reading = read()) {
    if (reading.kind == ReadingKind::kValue) {
      if (reading.value != kWaitingValue) return;
      sawWaiting = true;
      missingInARow = 0;
      sleepMs(kPollMs);
      continue;
    }
    // At start-up a missing reading opens the gate at once, as it always did.
    if (!sawWaiting || ++missingInARow >= kMissingConfirmations) return;
    sleepMs(kConfirmMs);
  }
}

}  // namespace brevan::updategate
