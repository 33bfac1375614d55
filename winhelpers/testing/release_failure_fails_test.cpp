// Linked into every Windows test program: a failed release of a valid object fails the test
// that was running, or is printed when no test runs.
#include <gtest/gtest.h>

#include <cstdio>

#include "winhelpers/release_report.h"

namespace {

void failRunningTest(const char* kind, DWORD error) {
  if (::testing::UnitTest::GetInstance()->current_test_info() == nullptr) {
    std::fprintf(stderr, "releasing a %s failed outside any test, error %lu\n", kind,
                 static_cast<unsigned long>(error));
    return;
  }
  ADD_FAILURE() << "releasing a " << kind << " failed, error " << error;
}

const bool installed = (brevan::win32::setReleaseFailureReporter(&failRunningTest), true);

}  // namespace
