// Placeholder until the plain exports land: the two hook exports only.
#include <windows.h>

#include "win32/hooks_win32.h"

extern "C" __declspec(dllexport) int installhook2() {
  brevan::screensource::win32::installHooks(nullptr);
  return 1;
}

extern "C" __declspec(dllexport) int uninstallhook2() {
  brevan::screensource::win32::uninstallHooks();
  return 1;
}
