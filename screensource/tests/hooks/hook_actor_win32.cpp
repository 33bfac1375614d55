// A second GUI process for the hook tests: it loads the probe DLL and writes what it sees in
// the shared block, then shows a window with an edit control that the test acts on.
//   screensource_hook_actor PROBE_DLL REPORT_FILE
#include <windows.h>

#include <cstdio>

#include "hooks/hook_probe.h"
#include "win32/hook_shared_data_win32.h"

namespace {

using brevan::screensource::test::kActorFlushMessage;
using brevan::screensource::test::kActorSendToSelf;
using brevan::screensource::win32::HookSharedData;
using brevan::screensource::win32::kReportMessageCount;

LRESULT CALLBACK actorProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kActorFlushMessage) {
    RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    return 1;
  }
  if (message == kActorSendToSelf) return SendMessageA(window, UINT(wParam), 0, lParam);
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcA(window, message, wParam, lParam);
}

HWND createActorWindow() {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = actorProcedure;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  windowClass.lpszClassName = "HookActor";
  RegisterClassA(&windowClass);
  return CreateWindowExA(0, "HookActor", "Hook actor", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 320, 176,
                         384, 256, nullptr, nullptr, windowClass.hInstance, nullptr);
}

unsigned long long number(const void* handle) { return reinterpret_cast<uintptr_t>(handle); }

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  HMODULE probe = LoadLibraryA(argv[1]);
  auto sharedData = reinterpret_cast<brevan::screensource::test::ProbeSharedData>(
      reinterpret_cast<void*>(GetProcAddress(probe, "probeSharedData")));
  if (!sharedData) return 3;
  const auto* shared = static_cast<const HookSharedData*>(sharedData());

  HWND window = createActorWindow();
  HWND edit = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | WS_BORDER, 16, 16, 128, 24,
                              window, nullptr, GetModuleHandleA(nullptr), nullptr);
  UpdateWindow(window);

  FILE* report = std::fopen(argv[2], "w");
  if (!report) return 4;
  for (int i = 0; i < kReportMessageCount; ++i) {
    std::fprintf(report, "id%d %u\n", i, shared->messageIds[i]);
  }
  std::fprintf(report, "receiver %llu\nwindow %llu\nedit %llu\nready 1\n", number(shared->receiver),
               number(window), number(edit));
  std::fclose(report);

  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}
