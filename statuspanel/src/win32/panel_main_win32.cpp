// StatusPanel.exe: starts or stops the product ("start" among the arguments means start).
#include <windows.h>

#include <cstdio>

#include "panel_dialog_win32.h"
#include "panel_mode.h"
#include "winhelpers/wide_text.h"

namespace {

// The marker file lets someone hold the start-up until they click.
void pauseWhenMarked() {
  FILE* marker = std::fopen("c:\\pausebrevan.txt", "r");
  if (!marker) return;
  std::fclose(marker);
  MessageBoxW(nullptr, L"Click on to Continue", L"Pausing Startup", MB_OK);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  using namespace brevan::statuspanel;
  pauseWhenMarked();
  PanelState state;
  state.startMode = isStartMode(brevan::win32::asUtf16(GetCommandLineW()));
  runPanelDialog(instance, state);
  return 0;
}
