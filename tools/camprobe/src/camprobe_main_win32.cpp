// CamProbe: finds a capture driver that can be opened and records its index, with the test
// number of the command line, in "CamProbe.txt" in the current directory and on the debugger
// output. Its window is never shown; it only parents the probe windows.
#include <windows.h>

#include <cstdio>
#include <string>

#include "camprobe_resources.h"
#include "probe_rules.h"
#include "win32/capture_api_win32.h"

namespace {

namespace cam = brevan::camcapture::win32;
namespace rules = brevan::camprobe;

constexpr char kResultFile[] = "CamProbe.txt";
constexpr int kFirstProbeId = 42;

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

std::string resourceString(HINSTANCE instance, UINT id) {
  char text[256] = {};
  LoadStringA(instance, id, text, sizeof(text));
  return text;
}

HWND createHiddenWindow(HINSTANCE instance) {
  const std::string className = resourceString(instance, IDS_CAMPROBE_CLASS);
  WNDCLASSEXA windowClass = {};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = windowProcedure;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_CAMPROBE));
  windowClass.hIconSm = LoadIconA(instance, MAKEINTRESOURCEA(IDI_CAMPROBE_SMALL));
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszMenuName = MAKEINTRESOURCEA(IDC_CAMPROBE);
  windowClass.lpszClassName = className.c_str();
  RegisterClassExA(&windowClass);
  return CreateWindowExA(0, className.c_str(), resourceString(instance, IDS_CAMPROBE_TITLE).c_str(),
                         WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, 0, CW_USEDEFAULT, 0, nullptr, nullptr,
                         instance, nullptr);
}

// Connects driver n in a probe window of its own and disconnects it again.
bool probe(HWND parent, int index, int& nextId) {
  const auto create = cam::captureApi().createCaptureWindow;
  if (create == nullptr) return false;
  HWND capture = create("Capture Window", WS_CHILD | WS_VISIBLE, 0, 0, 320, 240, parent, nextId++);
  if (capture == nullptr) return false;
  const bool connected = SendMessageA(capture, cam::kDriverConnect, WPARAM(index), 0) != 0;
  if (IsWindow(capture)) SendMessageA(capture, cam::kDriverDisconnect, 0, 0);
  DestroyWindow(capture);
  return connected;
}

std::string readResultFile() {
  std::string text;
  if (FILE* file = std::fopen(kResultFile, "rb")) {
    char buffer[4096];
    size_t read;
    while ((read = std::fread(buffer, 1, sizeof(buffer), file)) > 0) text.append(buffer, read);
    std::fclose(file);
  }
  return text;
}

void writeResult(int testNumber, int driver) {
  OutputDebugStringA(rules::resultLine("testIndex", testNumber).c_str());
  OutputDebugStringA(rules::resultLine("cameraDriverIndex", driver).c_str());
  FILE* file = std::fopen(kResultFile, "wb");
  if (file == nullptr) return;  // nothing to report to: the choice is simply not recorded
  const std::string text = rules::resultFileText(testNumber, driver);
  std::fwrite(text.data(), 1, text.size(), file);
  std::fclose(file);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  const int testNumber = rules::testNumberOf(GetCommandLineA());
  HWND window = createHiddenWindow(instance);
  if (window == nullptr) return 0;

  int nextId = kFirstProbeId;
  char name[256];
  const int driver = rules::chooseDriver(
      rules::previousChoiceOf(readResultFile()),
      [&](int index) { return cam::driverDescription(index, name); },
      [&](int index) { return probe(window, index, nextId); });
  writeResult(testNumber, driver);

  DestroyWindow(window);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}
