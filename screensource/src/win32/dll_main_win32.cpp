// Runs in every process that loads the library, the host and each hooked GUI process alike.
#include <windows.h>

#include "win32/hook_shared_data_win32.h"
#include "win32/library_module_win32.h"

namespace brevan::screensource::win32 {

namespace {
HMODULE loadedModule = nullptr;
ATOM popupAtom = 0;
}  // namespace

HMODULE libraryModule() { return loadedModule; }
ATOM popupSelectionAtom() { return popupAtom; }

}  // namespace brevan::screensource::win32

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  namespace ss = brevan::screensource::win32;
  if (reason == DLL_PROCESS_ATTACH) {
    ss::loadedModule = instance;
    ss::registerReportMessages();
    ss::popupAtom = GlobalAddAtomA("RFB.WM_Hooks.PopupSelectionAtom");
  }
  return TRUE;
}
