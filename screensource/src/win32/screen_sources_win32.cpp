#include "win32/screen_sources_win32.h"

#include <array>
#include <mutex>

#include "win32/hooks_win32.h"

namespace brevan::screensource::win32 {

namespace {

constexpr DWORD kStopLimit = 5000;  // ms: a cycle is 25 ms of work, a Java callback may take long

struct SourceTable {
  std::mutex mutex;  // guards the slots: Java threads select and close concurrently
  std::array<std::shared_ptr<SendingSource>, kSourceSlots> slots;
};

SourceTable& table() {
  static SourceTable instance;
  return instance;
}

bool inRange(int slot) { return slot >= 0 && slot < kSourceSlots; }

}  // namespace

CurrentPacket& currentPacket() {
  static CurrentPacket packet;
  return packet;
}

int createSource(std::unique_ptr<WindowGrabber> grabber) {
  SourceTable& t = table();
  std::lock_guard<std::mutex> lock(t.mutex);
  for (int slot = 0; slot < kSourceSlots; ++slot) {
    if (t.slots[slot]) continue;
    std::unique_ptr<CursorSource> cursor = makeWindowCursor(*grabber);
    t.slots[slot] = std::make_shared<SendingSource>(std::move(grabber), std::move(cursor));
    return slot;
  }
  return -1;
}

std::shared_ptr<SendingSource> sourceAt(int slot) {
  if (!inRange(slot)) return nullptr;
  SourceTable& t = table();
  std::lock_guard<std::mutex> lock(t.mutex);
  return t.slots[slot];
}

int closeSource(int slot) {
  if (!inRange(slot)) return 0;
  std::shared_ptr<SendingSource> closing;
  {
    SourceTable& t = table();
    std::lock_guard<std::mutex> lock(t.mutex);
    closing = std::move(t.slots[slot]);
  }
  if (!closing) return 1;
  // The hooks serve one source: closing another must not take them from it.
  uninstallHooksFor(&closing->source());
  closing->stop(kStopLimit);
  return 0;
}

intptr_t startSending(int slot) {
  std::shared_ptr<SendingSource> sending = sourceAt(slot);
  if (!sending) return 0;
  installHooks(&sending->source());
  return reinterpret_cast<intptr_t>(sending->startSending(currentPacket()));
}

}  // namespace brevan::screensource::win32
