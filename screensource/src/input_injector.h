// The viewer's keyboard and mouse reach the desktop through one worker: the calling threads post
// requests, the worker moves itself onto the input desktop and injects them. While the local
// user moves the mouse, remote input is held back for a while.
//
// The Windows side owns the threads: the worker calls runPass() every 20 ms, the watchdog calls
// watchdogCheck() every 250 ms. Posting may be called from any thread; the toggle methods run
// on the calling thread.
#pragma once

#include <atomic>
#include <bitset>
#include <cstdint>
#include <optional>

#include "input_backend.h"
#include "mouse_actions.h"
#include "request_slot.h"

namespace brevan::screensource {

struct KeyRequest {
  uint8_t virtualKey = 0;
  bool down = false;
};

struct MouseRequest {
  int action = 0;
  CursorPosition position;
};

class InputInjector {
 public:
  static constexpr int kPassesPerCheck = 50;
  static constexpr uint64_t kPostWaitMs = 1000;
  static constexpr unsigned kPostCheckMs = 10;
  static constexpr uint64_t kLocalHoldMs = 5000;
  static constexpr int kLocalMoveLimit = 5;  // pixels, |dx| + |dy|

  explicit InputInjector(InputBackend& backend);

  // Waits (checking every 10 ms) up to 1000 ms for the previous request of the kind to be
  // taken, then posts, overwriting it if it is still pending. Keys outside 1-254 are ignored.
  void postKey(int virtualKey, bool down);
  void postMouse(int action, int x, int y);
  // True when a Ctrl-Alt-Del request was already pending; nothing new is raised then.
  bool postCtrlAltDel();

  // One pass of the worker: every 50 passes, or at once when a request is pending, it checks
  // the desktop and the local mouse, then injects Ctrl-Alt-Del, then key and mouse requests in
  // the order they were posted.
  void runPass();

  // When the worker has made no pass since the last call, nudges the cursor one pixel sideways
  // (alternately right and left).
  void watchdogCheck();

  // The local user moved the mouse within the last 5 seconds.
  bool localActive();

  // Bit 0 of the key state; 0 for keys outside 1-254.
  int keyToggleState(int virtualKey);
  // Presses and releases the key when its toggle differs from `on`; returns the toggle before.
  int setKeyToggleState(int virtualKey, bool on);

 private:
  template <class Values>
  void post(RequestSlot<Values>& slot, const Values& values);
  bool anyPending() const;
  void ensureOnInputDesktop();
  void checkLocalMouse();
  void handleCtrlAltDel();
  void injectPostedInOrder();
  void injectKey(const KeyRequest& request);
  void injectMouse(const MouseRequest& request);
  void moveCursor(CursorPosition position);
  bool releasesPressedKey(const KeyRequest& request) const;
  bool releasesPressedButton(const MouseAction& action) const;

  InputBackend& backend_;
  std::atomic<uint64_t> postingOrder_{0};
  RequestSlot<KeyRequest> keyRequest_{postingOrder_};
  RequestSlot<MouseRequest> mouseRequest_{postingOrder_};
  std::atomic<bool> ctrlAltDelRequest_{false};
  std::atomic<int64_t> workerTick_{0};
  std::atomic<uint64_t> localHoldEndMs_{0};  // local activity is active before this time

  // The worker's own.
  int countdown_ = kPassesPerCheck;
  std::optional<CursorPosition> reference_;  // where the cursor was last put or seen
  std::bitset<256> keysDown_;                // pressed by the injector, not yet released
  std::bitset<4> buttonsDown_;               // indexed by MouseButton

  // The watchdog's own.
  int64_t watchdogTickSeen_ = -1;
  int watchdogStep_ = 1;
};

}  // namespace brevan::screensource
