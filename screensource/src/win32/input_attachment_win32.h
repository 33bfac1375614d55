// This thread's input queue attached to another GUI thread's, so that GetCursor answers with
// the cursor that thread shows. One attachment at a time; it ends with its holder.
#pragma once

#include <windows.h>

namespace brevan::screensource::win32 {

class InputAttachment {
 public:
  InputAttachment() = default;
  ~InputAttachment() { detach(); }
  InputAttachment(const InputAttachment&) = delete;
  InputAttachment& operator=(const InputAttachment&) = delete;

  // Makes the calling thread share `target`'s input state, ending any other attachment first.
  // True when the calling thread can read that state now: its own thread, the thread already
  // attached, or a new attachment that succeeded.
  bool shareWith(DWORD target);
  void detach();

 private:
  DWORD from_ = 0;  // 0: nothing attached
  DWORD to_ = 0;
};

}  // namespace brevan::screensource::win32
