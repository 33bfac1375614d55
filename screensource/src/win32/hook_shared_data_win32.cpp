#include "win32/hook_shared_data_win32.h"

namespace brevan::screensource::win32 {

namespace {

// One copy for every process that loads the library: the section is marked shared, which only
// holds for initialised data.
HookSharedData sharedData __attribute__((section(".ZM_Shar"), shared)) = {
    {0, 0, 0, 0, 0, 0},
    -1,
    nullptr,
    {"Zemtra Update Rectangle", "Zemtra Update Window Client", "Zemtra Update Window All",
     "Zemtra Update Cursor", "Zemtra Update Window Move", "Zemtra Update Window Nonclient"}};

}  // namespace

HookSharedData& hookShared() { return sharedData; }

void registerReportMessages() {
  for (int i = 0; i < kReportMessageCount; ++i) {
    sharedData.messageIds[i] = RegisterWindowMessageA(sharedData.messageNames[i]);
  }
}

void postToReceiver(UINT message, WPARAM wParam, LPARAM lParam) {
  const HWND receiver = sharedData.receiver;
  // A null window would turn the post into a thread message for the hooked program.
  if (receiver && message) PostMessageA(receiver, message, wParam, lParam);
}

}  // namespace brevan::screensource::win32
