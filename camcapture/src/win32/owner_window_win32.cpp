#include "win32/owner_window_win32.h"

#include <atomic>
#include <mutex>

#include "win32/capture_api_win32.h"

namespace brevan::camcapture::win32 {
namespace {

constexpr char kClassName[] = "ZmtrCap";
constexpr char kTitle[] = "Video Output";
constexpr DWORD kOwnerStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kCaptureStyle = WS_CHILD | WS_VISIBLE;
constexpr int kLeft = 400, kTop = 10;
constexpr DWORD kStartLimitMs = 5000;
constexpr DWORD kEndLimitMs = 5000;
// Asks the owner thread to destroy the window in lParam (its own windows only it can destroy).
constexpr UINT kDestroyRequest = WM_APP + 0x43;

HINSTANCE thisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCSTR>(&thisModule), &module);
  return module;
}

LRESULT CALLBACK ownerProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      BeginPaint(window, &paint);
      ValidateRect(window, nullptr);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_CLOSE:  // the user's close hides; Java decides when the window goes
      ShowWindow(window, SW_HIDE);
      return 0;
    case kDestroyRequest:
      return DestroyWindow(reinterpret_cast<HWND>(lParam)) ? 1 : 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

bool registerClassOnce() {
  static const bool registered = [] {
    WNDCLASSA windowClass = {};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = ownerProcedure;
    windowClass.hInstance = thisModule();
    windowClass.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH));
    windowClass.lpszClassName = kClassName;
    return RegisterClassA(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  }();
  return registered;
}

}  // namespace

struct OwnerWindow::Shared {
  OwnerWindowRequest request;
  std::atomic<HWND> window{nullptr};
  std::atomic<HWND> capture{nullptr};
  brevan::win32::ScopedHandle reported;  // set when the thread has made its windows or given up
};

SIZE ownerWindowSize(int clientWidth, int clientHeight) {
  return {clientWidth + 2 * GetSystemMetrics(SM_CXFRAME),
          clientHeight + 2 * GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION)};
}

namespace {

void makeWindows(OwnerWindow::Shared& shared) {
  const OwnerWindowRequest& request = shared.request;
  if (!registerClassOnce()) return;
  const SIZE size = ownerWindowSize(request.clientWidth, request.clientHeight);
  HWND window = CreateWindowExA(0, kClassName, kTitle, kOwnerStyle, kLeft, kTop, size.cx, size.cy,
                                nullptr, nullptr, thisModule(), nullptr);
  if (window == nullptr) return;
  ShowWindow(window, request.show ? SW_SHOWNORMAL : SW_HIDE);
  UpdateWindow(window);
  shared.window = window;
  if (const auto create = captureApi().createCaptureWindow) {
    shared.capture = create("Capture Window", kCaptureStyle, 0, 0, request.clientWidth,
                            request.clientHeight, window, request.captureId);
  }
}

DWORD WINAPI ownerThread(void* parameter) {
  // The thread keeps the shared record alive for as long as it runs.
  std::unique_ptr<std::shared_ptr<OwnerWindow::Shared>> holder(
      static_cast<std::shared_ptr<OwnerWindow::Shared>*>(parameter));
  OwnerWindow::Shared& shared = **holder;
  makeWindows(shared);
  const bool pumping = shared.window.load() != nullptr;
  SetEvent(shared.reported.get());
  if (!pumping) return 0;
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}

}  // namespace

OwnerWindow::OwnerWindow(std::shared_ptr<Shared> shared) : shared_(std::move(shared)) {}

std::unique_ptr<OwnerWindow> OwnerWindow::start(const OwnerWindowRequest& request) {
  auto shared = std::make_shared<Shared>();
  shared->request = request;
  shared->reported.reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  if (!shared->reported) return nullptr;
  std::unique_ptr<OwnerWindow> owner(new OwnerWindow(shared));
  auto* parameter = new std::shared_ptr<Shared>(shared);
  owner->thread_.reset(CreateThread(nullptr, 0, ownerThread, parameter, 0, &owner->threadId_));
  if (!owner->thread_) {
    delete parameter;
    return nullptr;
  }
  if (WaitForSingleObject(shared->reported.get(), kStartLimitMs) != WAIT_OBJECT_0) {
    owner->close();
    return nullptr;
  }
  return owner;
}

OwnerWindow::~OwnerWindow() { close(); }

HWND OwnerWindow::window() const { return shared_->window.load(); }
HWND OwnerWindow::captureWindow() const { return shared_->capture.load(); }

bool OwnerWindow::destroyCaptureWindow() {
  HWND capture = shared_->capture.exchange(nullptr);
  HWND window = shared_->window.load();
  if (capture != nullptr && IsWindow(capture) && window != nullptr) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(window, kDestroyRequest, 0, reinterpret_cast<LPARAM>(capture), SMTO_NORMAL,
                        kEndLimitMs, &ignored);
  }
  if (capture != nullptr && IsWindow(capture)) {
    shared_->capture = capture;  // still there: keep naming it
    return false;
  }
  return true;
}

bool OwnerWindow::close() {
  if (!thread_) return true;
  HWND window = shared_->window.exchange(nullptr);
  if (window == nullptr) {
    // A thread still making its windows is asked to quit; one without a queue yet keeps its own
    // reference to the shared record, so nothing it uses is freed under it.
    PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
  } else {
    // Destroying "Video Output" takes the capture window with it and ends the pump.
    DWORD_PTR ignored = 0;
    if (!SendMessageTimeoutA(window, kDestroyRequest, 0, reinterpret_cast<LPARAM>(window),
                             SMTO_NORMAL, kEndLimitMs, &ignored)) {
      PostMessageA(window, WM_QUIT, 0, 0);
    }
  }
  shared_->capture = nullptr;
  const bool ended = WaitForSingleObject(thread_.get(), kEndLimitMs) == WAIT_OBJECT_0;
  // A thread that has not ended keeps its own reference to the shared record.
  thread_.reset();
  return ended;
}

}  // namespace brevan::camcapture::win32
