#include "win32/input_attachment_win32.h"

namespace brevan::screensource::win32 {

bool InputAttachment::shareWith(DWORD target) {
  const DWORD self = GetCurrentThreadId();
  if (target == 0) return false;
  if (target == self || (from_ == self && to_ == target)) return true;
  detach();
  if (!AttachThreadInput(self, target, TRUE)) return false;
  from_ = self;
  to_ = target;
  return true;
}

void InputAttachment::detach() {
  if (from_ == 0) return;
  AttachThreadInput(from_, to_, FALSE);
  from_ = to_ = 0;
}

}  // namespace brevan::screensource::win32
