#include "input_injector.h"

#include <cstdlib>

#include "desktop_switch.h"
#include "key_events.h"

namespace brevan::screensource {
namespace {

// The hot key the logon desktop answers with the secure attention sequence.
constexpr uint32_t kHotKeyMessage = 0x0312;
constexpr uintptr_t kHotKeyId = 0;
constexpr intptr_t kCtrlAltDelHotKey = (intptr_t{kVirtualKeyDelete} << 16) | 0x0003;  // Ctrl|Alt
constexpr char kLogonDesktop[] = "Winlogon";

size_t buttonIndex(MouseButton button) { return static_cast<size_t>(button); }

}  // namespace

InputInjector::InputInjector(InputBackend& backend) : backend_(backend) {}

template <class Values>
void InputInjector::post(RequestSlot<Values>& slot, const Values& values) {
  const uint64_t deadline = backend_.nowMs() + kPostWaitMs;
  while (!slot.post(values, backend_.nowMs() >= deadline)) backend_.sleepMs(kPostCheckMs);
}

void InputInjector::postKey(int virtualKey, bool down) {
  if (!isVirtualKey(virtualKey)) return;
  post(keyRequest_, KeyRequest{static_cast<uint8_t>(virtualKey), down});
}

void InputInjector::postMouse(int action, int x, int y) {
  post(mouseRequest_, MouseRequest{action, CursorPosition{x, y}});
}

bool InputInjector::postCtrlAltDel() { return ctrlAltDelRequest_.exchange(true); }

void InputInjector::runPass() {
  workerTick_.fetch_add(1);
  if (--countdown_ > 0 && !anyPending()) return;
  countdown_ = kPassesPerCheck;
  ensureOnInputDesktop();
  checkLocalMouse();
  handleCtrlAltDel();
  injectPostedInOrder();
}

bool InputInjector::anyPending() const {
  return ctrlAltDelRequest_.load() || keyRequest_.pending() || mouseRequest_.pending();
}

void InputInjector::ensureOnInputDesktop() {
  if (!backend_.onInputDesktop()) switchThreadDesktop(backend_, nullptr);
}

void InputInjector::checkLocalMouse() {
  if (!reference_) return;
  const std::optional<CursorPosition> now = backend_.cursorPosition();
  if (!now) return;
  if (std::abs(now->x - reference_->x) + std::abs(now->y - reference_->y) <= kLocalMoveLimit) {
    return;
  }
  reference_ = now;
  localHoldEndMs_.store(backend_.nowMs() + kLocalHoldMs);
}

bool InputInjector::localActive() { return backend_.nowMs() < localHoldEndMs_.load(); }

// The broadcast only means something on the logon desktop; on the user's own it would reach
// the user's programs as a hot key.
void InputInjector::handleCtrlAltDel() {
  if (!ctrlAltDelRequest_.exchange(false)) return;
  if (!switchThreadDesktop(backend_, kLogonDesktop) || localActive()) return;
  backend_.broadcast(kHotKeyMessage, kHotKeyId, kCtrlAltDelHotKey);
}

// A mouse-up followed by a Ctrl-up must stay in that order, or a copy-drag becomes a move.
void InputInjector::injectPostedInOrder() {
  std::optional<PostedRequest<KeyRequest>> key = keyRequest_.take();
  std::optional<PostedRequest<MouseRequest>> mouse = mouseRequest_.take();
  if (mouse && (!key || mouse->order < key->order)) {
    injectMouse(mouse->values);
    mouse.reset();
  }
  if (key) injectKey(key->values);
  if (mouse) injectMouse(mouse->values);
}

// While the local user is active, releases of what the injector pressed still go through, so
// that nothing stays down.
void InputInjector::injectKey(const KeyRequest& request) {
  ensureOnInputDesktop();
  if (localActive() && !releasesPressedKey(request)) return;
  backend_.injectKey(request.virtualKey, keyEventFlags(request.virtualKey, request.down));
  keysDown_[request.virtualKey] = request.down;
}

void InputInjector::injectMouse(const MouseRequest& request) {
  ensureOnInputDesktop();
  const MouseAction action = mouseActionFor(request.action, request.position.x);
  const bool held = localActive();
  if (held && !releasesPressedButton(action)) return;
  if (action.movesCursor && !held) moveCursor(request.position);
  if (action.flags != 0) backend_.injectMouse(action.flags, action.wheelData);
  if (action.button != MouseButton::kNone)
    buttonsDown_[buttonIndex(action.button)] = !action.release;
}

// The system clips the position to the screen, so the reference is read back, not assumed.
void InputInjector::moveCursor(CursorPosition position) {
  backend_.setCursorPosition(position);
  reference_ = backend_.cursorPosition();
}

bool InputInjector::releasesPressedKey(const KeyRequest& request) const {
  return !request.down && keysDown_[request.virtualKey];
}

bool InputInjector::releasesPressedButton(const MouseAction& action) const {
  return action.release && buttonsDown_[buttonIndex(action.button)];
}

void InputInjector::watchdogCheck() {
  const int64_t tick = workerTick_.load();
  if (tick == watchdogTickSeen_) {
    if (const std::optional<CursorPosition> at = backend_.cursorPosition()) {
      backend_.setCursorPosition(CursorPosition{at->x + watchdogStep_, at->y});
      watchdogStep_ = -watchdogStep_;
    }
  }
  watchdogTickSeen_ = tick;
}

int InputInjector::keyToggleState(int virtualKey) {
  if (!isVirtualKey(virtualKey)) return 0;
  return backend_.keyState(static_cast<uint8_t>(virtualKey)) & 1;
}

int InputInjector::setKeyToggleState(int virtualKey, bool on) {
  const int before = keyToggleState(virtualKey);
  if (!isVirtualKey(virtualKey) || before == static_cast<int>(on)) return before;
  const auto key = static_cast<uint8_t>(virtualKey);
  backend_.injectKey(key, keyEventFlags(key, true));
  backend_.injectKey(key, keyEventFlags(key, false));
  return before;
}

}  // namespace brevan::screensource
