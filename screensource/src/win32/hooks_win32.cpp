#include "win32/hooks_win32.h"

#include <cstdio>
#include <memory>
#include <mutex>

#include "win32/global_hooks_win32.h"
#include "win32/hook_shared_data_win32.h"
#include "win32/library_module_win32.h"
#include "win32/receiver_window_win32.h"
#include "win32/report_target_win32.h"

namespace brevan::screensource::win32 {

namespace {

// A receiver thread that has not ended by then is left to end by itself; its target is taken
// away first, so nothing it still does reaches a closed source.
constexpr DWORD kReceiverStopLimitMs = 5000;

// One installation at a time: install, uninstall and the target check run under it.
std::mutex installation;
std::unique_ptr<ReceiverWindow> receiver;  // guarded by installation

void uninstallLocked() {
  removeGlobalHooks();
  reportTarget().set(nullptr);
  if (receiver) receiver->stop(kReceiverStopLimitMs);
  receiver.reset();
}

}  // namespace

bool installHooks(UpdateSource* target) {
  std::lock_guard<std::mutex> guard(installation);
  uninstallLocked();
  const HMODULE module = libraryModule();
  if (!module) {
    std::fputs("ERROR: hins is NULL\r\n", stdout);
    std::fflush(stdout);
  }
  reportTarget().set(target);
  receiver = ReceiverWindow::start(module);
  hookShared().receiver = receiver->window();
  setGlobalHooks(module);
  return true;
}

void uninstallHooks() {
  std::lock_guard<std::mutex> guard(installation);
  uninstallLocked();
}

bool uninstallHooksFor(const UpdateSource* source) {
  std::lock_guard<std::mutex> guard(installation);
  if (!receiver || reportTarget().get() != source) return false;
  uninstallLocked();
  return true;
}

UpdateSource* hookTarget() { return reportTarget().get(); }

}  // namespace brevan::screensource::win32
