// Waiting in tests for what they expect, with a bound instead of a fixed sleep.
#pragma once

#include <chrono>
#include <thread>

namespace brevan::testsupport {

// Asks the condition every `step` until it holds or `limit` has passed; the last answer counts.
template <class Condition>
bool waitUntil(std::chrono::milliseconds limit, Condition condition,
               std::chrono::milliseconds step = std::chrono::milliseconds(10)) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < deadline) {
    if (condition()) return true;
    std::this_thread::sleep_for(step);
  }
  return condition();
}

}  // namespace brevan::testsupport
