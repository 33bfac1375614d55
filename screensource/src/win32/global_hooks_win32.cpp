#include "win32/global_hooks_win32.h"

#include <atomic>
#include <cstdio>

#include "win32/hook_dispatch_win32.h"

namespace brevan::screensource::win32 {

namespace {

enum HookSlot {
  kKeyboardHook,
  kCallWndProcRetHook,
  kCallWndProcHook,
  kGetMessageHook,
  kMsgFilterHook,
  kSysMsgFilterHook,
  kHookCount
};

// Meaningful in the installing process only; elsewhere they stay null.
std::atomic<HHOOK> hooks[kHookCount];

template <HookSlot slot>
LRESULT CALLBACK passOnOnly(int code, WPARAM wParam, LPARAM lParam) {
  return CallNextHookEx(hooks[slot].load(), code, wParam, lParam);
}

// CWPSTRUCT, CWPRETSTRUCT and MSG all name the message, window and parameters alike.
template <HookSlot slot, typename Structure>
LRESULT CALLBACK dispatchThenPassOn(int code, WPARAM wParam, LPARAM lParam) {
  if (code >= 0) {  // a negative code must be passed on untouched
    const auto* hooked = reinterpret_cast<const Structure*>(lParam);
    dispatchHookedMessage(hooked->message, hooked->hwnd, hooked->wParam, hooked->lParam);
  }
  return CallNextHookEx(hooks[slot].load(), code, wParam, lParam);
}

struct HookKind {
  int type;
  HOOKPROC procedure;
};

// In the order they are installed.
const HookKind kHookKinds[kHookCount] = {
    {WH_KEYBOARD, passOnOnly<kKeyboardHook>},
    {WH_CALLWNDPROCRET, dispatchThenPassOn<kCallWndProcRetHook, CWPRETSTRUCT>},
    {WH_CALLWNDPROC, dispatchThenPassOn<kCallWndProcHook, CWPSTRUCT>},
    {WH_GETMESSAGE, dispatchThenPassOn<kGetMessageHook, MSG>},
    {WH_MSGFILTER, dispatchThenPassOn<kMsgFilterHook, MSG>},
    {WH_SYSMSGFILTER, dispatchThenPassOn<kSysMsgFilterHook, MSG>},
};

}  // namespace

void setGlobalHooks(HMODULE module) {
  bool allSet = true;
  for (int i = 0; i < kHookCount; ++i) {
    hooks[i] = SetWindowsHookExA(kHookKinds[i].type, kHookKinds[i].procedure, module, 0);
    allSet = allSet && hooks[i].load();
  }
  if (!allSet) {
    std::fputs("ERROR: NULL hook\r\n", stdout);
    std::fflush(stdout);
  }
}

void removeGlobalHooks() {
  for (auto& hook : hooks) {
    if (HHOOK installed = hook.exchange(nullptr)) UnhookWindowsHookEx(installed);
  }
}

}  // namespace brevan::screensource::win32
