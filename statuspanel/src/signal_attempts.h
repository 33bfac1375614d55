// The connect attempts of the local signal: the product may still be coming up, so the panel
// tries a few times with a pause after each attempt.
#pragma once

#include <functional>

namespace brevan::statuspanel {

constexpr int kSignalAttempts = 3;
constexpr unsigned kSignalPauseMs = 2000;

struct SignalSteps {
  std::function<bool()> started;  // the controller was asked to start
  std::function<bool()> connect;  // one attempt, on a socket of its own
  std::function<void()> pause;    // after every attempt, successful or not
};

// True once an attempt connected; gives up at once (false) while nothing was started.
bool connectWithRetries(const SignalSteps& steps, int attempts = kSignalAttempts);

}  // namespace brevan::statuspanel
