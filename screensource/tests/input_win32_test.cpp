// The viewer's input through ScreenSource.dll as Java calls it: keys and mouse actions reach a
// focused window of another thread as the right messages at the right place, the wheel as its
// delta, and a local mouse move holds remote input back for about five seconds.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "screen_library_host.h"
#include "testsupport/wait.h"

namespace brevan::screensource::test {
namespace {

using namespace std::chrono_literals;
using brevan::testsupport::waitUntil;

// What the target window received, as "message value" lines.
std::mutex logMutex;
std::vector<std::string> received;

void note(const std::string& line) {
  std::lock_guard<std::mutex> lock(logMutex);
  received.push_back(line);
}

bool saw(const std::string& line) {
  std::lock_guard<std::mutex> lock(logMutex);
  for (const std::string& l : received)
    if (l == line) return true;
  return false;
}

LRESULT CALLBACK targetProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      note("down " + std::to_string(wParam));
      return 0;
    case WM_KEYUP:
    case WM_SYSKEYUP:
      note("up " + std::to_string(wParam));
      return 0;
    case WM_LBUTTONDOWN:
      note("ldown " + std::to_string(short(LOWORD(lParam))) + "," +
           std::to_string(short(HIWORD(lParam))));
      return 0;
    case WM_LBUTTONUP:
      note("lup");
      return 0;
    case WM_MOUSEWHEEL:
      note("wheel " + std::to_string(short(HIWORD(wParam))));
      return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

// The focused window on a thread of its own, as the remote user's target.
class TargetWindow {
 public:
  TargetWindow() {
    thread_ = std::thread([this] { run(); });
    waitUntil(5s, [this] { return window_.load() != nullptr; });
  }
  ~TargetWindow() {
    PostMessageW(window_.load(), WM_CLOSE, 0, 0);
    PostThreadMessageW(threadId_.load(), WM_QUIT, 0, 0);
    thread_.join();
  }
  HWND window() const { return window_.load(); }

 private:
  void run() {
    threadId_ = GetCurrentThreadId();
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = targetProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"BrevanInputTarget";
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);  // a cursor shape for the source to send
    RegisterClassW(&windowClass);
    HWND window =
        CreateWindowExW(WS_EX_TOPMOST, L"BrevanInputTarget", L"input target", WS_POPUP | WS_VISIBLE,
                        100, 100, 300, 200, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    SetForegroundWindow(window);
    SetFocus(window);
    window_ = window;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    DestroyWindow(window);
  }

  std::thread thread_;
  std::atomic<HWND> window_{nullptr};
  std::atomic<DWORD> threadId_{0};
};

class ScreenInput : public ::testing::Test {
 protected:
  template <class Function>
  Function method(const char* name) {
    return screenMethod<Function>(name);
  }
  void key(int virtualKey, bool down) {
    method<void(JNICALL*)(JNIEnv*, jclass, jint, jboolean, jint)>("simulateKeyStroke")(
        env, nullptr, virtualKey, down ? JNI_TRUE : JNI_FALSE, 0);
  }
  void mouse(int action, int x, int y) {
    method<void(JNICALL*)(JNIEnv*, jclass, jint, jint, jint, jint)>("simulateMouseAction")(
        env, nullptr, action, x, y, 0);
  }

  // Starts a desktop source whose packets land in `packets`.
  jint sendDesktop() {
    packetArray = jvm.newByteArray(std::vector<uint8_t>(16 << 20));
    jvm.registerStaticMethod("zemtra/nativeCode/WindowSourceNative", "notifyPendingMessage",
                             "(II)V", [this](const std::vector<jvalue>& args) {
                               method<jint(JNICALL*)(JNIEnv*, jclass, jbyteArray)>(
                                   "copyCurrentDataPacket")(attachedEnv(jvm), nullptr, packetArray);
                               const std::vector<uint8_t>& bytes = jvm.bytes(packetArray);
                               std::lock_guard<std::mutex> lock(logMutex);
                               packets.emplace_back(bytes.begin(), bytes.begin() + args[0].i);
                             });
    const jint slot = method<jint(JNICALL*)(JNIEnv*, jclass)>("getDesktopWindow")(env, nullptr);
    method<jint(JNICALL*)(JNIEnv*, jclass, jint)>("startSendingUpdates")(env, nullptr, slot);
    return slot;
  }
  // A packet that opens with a cursor record at (x, y) carrying the local-activity flag.
  bool sawFlaggedCursorAt(int x, int y) {
    std::lock_guard<std::mutex> lock(logMutex);
    for (const std::vector<uint8_t>& p : packets)
      if (p.size() >= 5 && p[0] == 1 && (p[1] << 8 | p[2]) == (0x4000 | x) &&
          (p[3] << 8 | p[4]) == y)
        return true;
    return false;
  }

  brevan::jnitest::FakeJvm jvm;
  JNIEnv* env = jvm.env();
  jbyteArray packetArray = nullptr;
  std::vector<std::vector<uint8_t>> packets;  // guarded by logMutex
};

TEST_F(ScreenInput, KeysMouseAndWheelReachTheFocusedWindowUntilTheLocalUserMoves) {
  TargetWindow target;
  ASSERT_NE(target.window(), nullptr);
  mouse(131, 160, 150);  // move only
  mouse(128, 160, 150);
  mouse(132, 160, 150);
  EXPECT_TRUE(waitUntil(3s, [] { return saw("lup"); }));
  EXPECT_TRUE(saw("ldown 60,50")) << "at the client point under (160, 150)";
  key('A', true);
  key('A', false);
  EXPECT_TRUE(waitUntil(3s, [] { return saw("up 65"); }));
  EXPECT_TRUE(saw("down 65"));
  mouse(135, 2, 0);
  EXPECT_TRUE(waitUntil(3s, [] { return saw("wheel -240"); })) << "two notches toward the user";

  // The local user moves the mouse: remote keys are dropped for about five seconds, and cursor
  // records tell the viewer so.
  const jint slot = sendDesktop();
  SetCursorPos(260, 250);
  key('B', true);
  key('B', false);
  Sleep(1500);
  EXPECT_FALSE(saw("down 66")) << "held back while the local user is active";
  SetCursorPos(262, 250);  // the next cursor record goes out while the hold lasts
  EXPECT_TRUE(waitUntil(2s, [&] { return sawFlaggedCursorAt(262, 250); }));
  method<jint(JNICALL*)(JNIEnv*, jclass, jint)>("closeWindow")(env, nullptr, slot);
  Sleep(4500);
  key('C', true);
  key('C', false);
  EXPECT_TRUE(waitUntil(3s, [] { return saw("up 67"); })) << "remote input flows again";
}

}  // namespace
}  // namespace brevan::screensource::test
