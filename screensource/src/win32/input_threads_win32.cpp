#include "win32/input_threads_win32.h"

#include <windows.h>

#include <atomic>
#include <mutex>

#include "win32/input_backend_win32.h"

namespace brevan::screensource::win32 {

namespace {

constexpr DWORD kWorkerPassMs = 20;
constexpr DWORD kWatchdogMs = 250;
constexpr DWORD kStartLimitMs = 5000;

InputInjector& injector() {
  static InputInjector instance(systemInputBackend());
  return instance;
}

std::atomic<bool> workerRunning{false};
std::atomic<bool> started{false};

DWORD WINAPI workerMain(void*) {
  workerRunning.store(true);
  for (;;) {
    injector().runPass();
    Sleep(kWorkerPassMs);
  }
}

DWORD WINAPI watchdogMain(void*) {
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST);
  for (;;) {
    Sleep(kWatchdogMs);
    injector().watchdogCheck();
  }
}

// The threads run for the rest of the process, so the library must not be unloaded under them.
void pinLibrary() {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                     reinterpret_cast<LPCWSTR>(&workerMain), &module);
}

bool startThreads() {
  pinLibrary();
  HANDLE worker = CreateThread(nullptr, 0, workerMain, nullptr, 0, nullptr);
  if (!worker) return false;
  CloseHandle(worker);
  HANDLE watchdog = CreateThread(nullptr, 0, watchdogMain, nullptr, 0, nullptr);
  if (watchdog) CloseHandle(watchdog);
  const DWORD until = GetTickCount() + kStartLimitMs;
  while (!workerRunning.load() && GetTickCount() < until) Sleep(10);
  return workerRunning.load();
}

}  // namespace

InputInjector* startedInputInjector() {
  static std::once_flag once;
  std::call_once(once, [] { started.store(startThreads()); });
  return started.load() ? &injector() : nullptr;
}

bool localInputActive() { return started.load() && injector().localActive(); }

}  // namespace brevan::screensource::win32
