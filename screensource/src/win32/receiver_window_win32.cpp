#include "win32/receiver_window_win32.h"

#include <atomic>
#include <cstdio>

#include "win32/receiver_procedure_win32.h"

namespace brevan::screensource::win32 {

namespace {

constexpr char kClassName[] = "ZmDskMsg";
constexpr char kTitle[] = "Message Receiver";
constexpr DWORD kStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;  // 0x00CA0000
constexpr int kClientSide = 100;

std::atomic<bool> classRegistered{false};  // once per process

void registerClassOnce(HINSTANCE instance) {
  if (classRegistered) return;
  WNDCLASSA windowClass = {};
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = receiverProcedure;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH));
  windowClass.lpszClassName = kClassName;
  if (RegisterClassA(&windowClass)) {
    classRegistered = true;
  } else {
    std::fputs("Win Reg: failed\r\n", stdout);
    std::fflush(stdout);
  }
}

HWND createHiddenWindow(HINSTANCE instance) {
  const int width = kClientSide + 2 * GetSystemMetrics(SM_CXFRAME);
  const int height =
      kClientSide + 2 * GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION);
  HWND window = CreateWindowExA(0, kClassName, kTitle, kStyle, 10, 10, width, height, nullptr,
                                nullptr, instance, nullptr);
  if (window) {
    ShowWindow(window, SW_HIDE);
    UpdateWindow(window);
  }
  return window;
}

void pumpUntilQuit() {
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

}  // namespace

std::unique_ptr<ReceiverWindow> ReceiverWindow::start(HINSTANCE instance) {
  std::unique_ptr<ReceiverWindow> receiver(new ReceiverWindow(instance));
  receiver->ready_.reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  if (!receiver->ready_) return receiver;
  receiver->thread_.reset(CreateThread(nullptr, 0, &run, receiver.get(), 0, nullptr));
  if (receiver->thread_) WaitForSingleObject(receiver->ready_.get(), INFINITE);
  return receiver;
}

ReceiverWindow::~ReceiverWindow() = default;

DWORD WINAPI ReceiverWindow::run(void* parameter) {
  auto* self = static_cast<ReceiverWindow*>(parameter);
  registerClassOnce(self->instance_);
  const HWND window = createHiddenWindow(self->instance_);
  self->window_ = window;
  SetEvent(self->ready_.get());  // the last touch of *self
  if (!window) return 0;
  pumpUntilQuit();
  if (IsWindow(window)) DestroyWindow(window);
  return 0;
}

bool ReceiverWindow::stop(DWORD limitMs) {
  if (!thread_) return true;
  if (window_) PostMessageA(window_, WM_DESTROY, 0, 0);
  return WaitForSingleObject(thread_.get(), limitMs) == WAIT_OBJECT_0;
}

}  // namespace brevan::screensource::win32
