#include "desktop_switch.h"

#include "key_events.h"

namespace brevan::screensource {
namespace {

// Both the left-hand and the right-hand (extended) form of each modifier.
void releaseModifiers(InputBackend& backend) {
  for (uint8_t key : {kVirtualKeyAlt, kVirtualKeyControl}) {
    backend.injectKey(key, kKeyEventKeyUp);
    backend.injectKey(key, kKeyEventKeyUp | kKeyEventExtended);
  }
}

}  // namespace

bool switchThreadDesktop(InputBackend& backend, const char* name) {
  const DesktopHandle next = backend.openDesktop(name);
  if (next == kNoDesktop) return false;
  const DesktopHandle previous = backend.threadDesktop();
  if (next == previous) return true;
  if (!backend.setThreadDesktop(next)) {
    if (!backend.closeDesktop(next)) {
      backend.debugOutput("SelectDesktop failed to close desktop\n");
    }
    return false;
  }
  releaseModifiers(backend);
  backend.closeDesktop(previous);
  return true;
}

}  // namespace brevan::screensource
