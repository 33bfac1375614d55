// Where a failed release of a valid object goes. Such a failure is a bug (a double close, a
// handle closed behind its owner's back), so tests install a reporter that fails the test.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdio>

namespace brevan::win32 {

// kind names what failed to be released ("kernel handle", "registry key", ...); error is the
// Win32 error (or HRESULT) of the release.
using ReleaseFailureReporter = void (*)(const char* kind, DWORD error);

inline void reportToDebugger(const char* kind, DWORD error) {
  char line[128];
  std::snprintf(line, sizeof(line), "brevan: releasing a %s failed, error %lu\n", kind,
                static_cast<unsigned long>(error));
  OutputDebugStringA(line);
}

// One hook for the module (each DLL or program that compiles these headers has its own).
inline std::atomic<ReleaseFailureReporter> releaseFailureReporter{&reportToDebugger};

// Installs reporter and returns the one it replaces.
inline ReleaseFailureReporter setReleaseFailureReporter(ReleaseFailureReporter reporter) {
  return releaseFailureReporter.exchange(reporter);
}

inline void reportReleaseFailure(const char* kind, DWORD error) {
  releaseFailureReporter.load()(kind, error);
}

}  // namespace brevan::win32
