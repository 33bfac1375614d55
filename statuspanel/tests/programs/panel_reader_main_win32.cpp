// Reads the status text of the panel that runs from a given directory, writes it (UTF-8) to a
// file and ends that panel: the language runs need nothing of the panel but its first look. The
// panel is ended only after its first progress step, when the controller and the launcher have
// been started: a program whose starter dies while it is being started may never run.
//   panel_reader.exe <panel directory> <output file>
// Exit code 0 when the text was read, 1 when no panel showed within 20 seconds.
#include <windows.h>

#include <cstdio>
#include <string>

#include "panel_window_win32.h"

namespace {

using namespace brevan::statuspanel::testing;

std::wstring imagePathOf(DWORD processId) {
  const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
  if (!process) return std::wstring();
  wchar_t path[MAX_PATH * 4] = {};
  DWORD size = DWORD(std::size(path));
  QueryFullProcessImageNameW(process, 0, path, &size);
  CloseHandle(process);
  return path;
}

// The panel of this directory: other panels may show at the same time.
HWND panelFrom(const std::wstring& directory, DWORD& processId) {
  for (DWORD waited = 0; waited < 20000; waited += 50) {
    const HWND panel = findTopWindow(0, L"#32770", L"Brevan");
    if (panel) {
      GetWindowThreadProcessId(panel, &processId);
      if (_wcsicmp(imagePathOf(processId).c_str(), (directory + L"\\StatusPanel.exe").c_str()) == 0)
        return panel;
    }
    Sleep(50);
  }
  return nullptr;
}

void endProcess(DWORD processId) {
  const HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, processId);
  if (!process) return;
  TerminateProcess(process, 0);
  WaitForSingleObject(process, 5000);
  CloseHandle(process);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) return 2;
  DWORD processId = 0;
  const HWND panel = panelFrom(argv[1], processId);
  if (!panel) return 1;
  const auto text = statusText(panel);
  for (DWORD waited = 0; waited < 10000 && progressPosition(panel).value_or(0) < 5; waited += 50) {
    Sleep(50);
  }
  endProcess(processId);
  FILE* out = _wfopen(argv[2], L"wb");
  if (!out || !text) return 1;
  std::fputs(utf8(*text).c_str(), out);
  std::fclose(out);
  return 0;
}
