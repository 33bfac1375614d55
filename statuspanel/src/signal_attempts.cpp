#include "signal_attempts.h"

namespace brevan::statuspanel {

bool connectWithRetries(const SignalSteps& steps, int attempts) {
  for (int attempt = 0; attempt < attempts; ++attempt) {
    if (!steps.started()) return false;
    const bool connected = steps.connect();
    steps.pause();
    if (connected) return true;
  }
  return false;
}

}  // namespace brevan::statuspanel
