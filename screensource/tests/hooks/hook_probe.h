// The exports of the hook probe DLL: the hooks' own sources with a way in for tests, which
// install for a source of their own and read the shared block as any process sees it.
#pragma once

namespace brevan::screensource::test {

constexpr char kHookProbeName[] = "ScreenSourceHookProbe";

using ProbeInstallHooks = int (*)(void* target);
using ProbeUninstallHooksFor = int (*)(const void* source);
using ProbeHookTarget = void* (*)();
using ProbeSharedData = const void* (*)();  // the HookSharedData of the probe's section

// Sent by tests to the actor's window: it finishes pending paints before it answers, so every
// report of what came before has been posted by then.
constexpr unsigned kActorFlushMessage = 0x8000 + 1;  // WM_APP + 1
// The actor sends message wParam with this lParam (and wParam 0) to its own window: messages
// that carry a device context are not sent across processes.
constexpr unsigned kActorSendToSelf = 0x8000 + 2;

}  // namespace brevan::screensource::test
