#include "panel_worker_win32.h"

#include <commctrl.h>

#include <optional>
#include <string>

#include "panel_paths.h"
#include "panel_resources.h"
#include "product_programs_win32.h"
#include "worker_timing.h"
#include "winhelpers/wide_text.h"

namespace brevan::statuspanel {

namespace {

// The directory comes from the program's own module, not from the command line: a panel started
// by a bare name from its own directory still finds the programs beside it.
std::optional<std::wstring> panelDirectory() {
  const std::wstring path = ownModulePath();
  const auto directory = directoryOf(brevan::win32::asUtf16(path.c_str()));
  if (!directory) {
    MessageBoxW(nullptr, path.c_str(), L"ERROR: Full path not given", MB_OK);
    return std::nullopt;
  }
  return std::wstring(brevan::win32::wide(*directory));
}

void askProduct(PanelState& state) {
  const auto directory = panelDirectory();
  if (!directory) return;
  if (state.startMode) {
    runController(*directory, L"start");
    state.started = true;
    openLauncher(*directory);
  } else {
    runController(*directory, L"stop");
  }
}

void showRemainingTime(HWND dialog, DWORD elapsedMs) {
  for (int step = remainingProgressSteps(elapsedMs); step > 0; --step) {
    Sleep(kStepPauseMs);
    SendDlgItemMessageW(dialog, IDC_PROGRESS, PBM_STEPIT, 0, 0);
  }
}

DWORD WINAPI workerMain(void* argument) {
  PanelState& state = *static_cast<PanelState*>(argument);
  // Tick differences are right across the counter's wrap.
  const DWORD begin = GetTickCount();
  askProduct(state);
  showRemainingTime(state.dialog, GetTickCount() - begin);
  state.finished = true;
  PostMessageW(state.dialog, WM_COMMAND, IDOK, 0);
  return 0;
}

}  // namespace

void startWorker(PanelState& state) {
  state.worker.reset(CreateThread(nullptr, 0, workerMain, &state, 0, nullptr));
}

void waitForWorker(PanelState& state) {
  if (state.worker) WaitForSingleObject(state.worker.get(), INFINITE);
}

}  // namespace brevan::statuspanel
