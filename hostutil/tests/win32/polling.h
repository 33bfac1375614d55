#pragma once

#include <windows.h>

namespace hostutil::testing {

// Polls the condition every 20 ms until it holds or the time is up; the last answer counts.
template <class Condition>
bool within(DWORD timeoutMs, Condition condition) {
  for (DWORD waited = 0; waited < timeoutMs; waited += 20) {
    if (condition()) return true;
    Sleep(20);
  }
  return condition();
}

}  // namespace hostutil::testing
