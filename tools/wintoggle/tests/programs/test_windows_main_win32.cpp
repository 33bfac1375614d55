// Windows for WinToggle to find, in a process of their own: top-level windows, a child with a
// title of its own under a frame that does not match, titles at the length limit, and a window
// whose thread never answers. Writes "ready" to the file named by its argument, then serves
// messages until it is killed.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

HWND topLevel(const std::string& title) {
  return CreateWindowExA(0, "STATIC", title.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 200,
                         100, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

DWORD WINAPI hungThread(void*) {
  topLevel("Hung Window");
  Sleep(INFINITE);  // never reads its messages
  return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR readyFile, int) {
  topLevel("Toggle Alpha One");
  topLevel("Toggle Alpha Two");
  topLevel("Bob's Window");
  topLevel(std::string(255, 'M'));
  topLevel(std::string(300, 'L'));
  HWND frame = topLevel("Frame Without Match");
  CreateWindowExA(0, "STATIC", "Inner Child Caption", WS_CHILD | WS_VISIBLE, 0, 0, 50, 20, frame,
                  nullptr, GetModuleHandleA(nullptr), nullptr);
  CloseHandle(CreateThread(nullptr, 0, hungThread, nullptr, 0, nullptr));
  Sleep(300);  // the hung thread's window exists before anyone looks
  if (FILE* ready = std::fopen(readyFile, "w")) {
    std::fputs("ready\n", ready);
    std::fclose(ready);
  }
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}
