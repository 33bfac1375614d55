// When the update gate lets the launcher start: as soon as the readiness property no longer
// reads 1, with a reading that may have caught the product rewriting its file confirmed first.
#pragma once

#include <functional>

#include "property_reading.h"

namespace brevan::updategate {

constexpr int kWaitingValue = 1;
constexpr int kPollMs = 1000;
// After the property has read 1, a missing file, property or number can be a rewrite in
// progress (truncate, then write): it must be seen this many times, this far apart.
constexpr int kMissingConfirmations = 3;
constexpr int kConfirmMs = 200;

// Reads through `read` and sleeps through `sleepMs` until the launcher may start.
void waitUntilOpen(const std::function<Reading()>& read, const std::function<void(int)>& sleepMs);

}  // namespace brevan::updategate
