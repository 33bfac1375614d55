// When the packet cycle reads the cursor. A pointer that has rested for about a second is read
// on one cycle in four only: under Wine every read is several round trips to the servers, and an
// idle source would spend most of its time on them. A move the hooks see still comes in at once
// as a cursor-moved event, so the sparser reads only delay moves over windows without hooks, by
// at most three cycles.
#pragma once

namespace brevan::screensource {

class CursorRest {
 public:
  static constexpr int kRestingCycles = 100;   // 10 ms apart: about a second
  static constexpr int kReadEveryWhileResting = 4;

  // Asked once a cycle.
  bool readDue() {
    if (everyCycle_ || stillReads_ < kRestingCycles) return true;
    return ++cyclesSinceRead_ % kReadEveryWhileResting == 0;
  }
  // After every read: whether it sent a record (the pointer moved or its shape changed).
  void afterRead(bool sentRecord) {
    cyclesSinceRead_ = 0;
    stillReads_ = sentRecord ? 0 : stillReads_ + (stillReads_ < kRestingCycles);
  }
  // Tools and tests that replay scenes cycle by cycle read the cursor on every cycle.
  void readEveryCycle() { everyCycle_ = true; }

 private:
  int stillReads_ = 0;
  int cyclesSinceRead_ = 0;
  bool everyCycle_ = false;
};

}  // namespace brevan::screensource
