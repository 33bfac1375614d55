// When the packet cycle reads the cursor. A pointer that has rested for about a second is read
// on one cycle in 25, four times a second: under Wine every read costs the thread up to a
// millisecond of round trips to the servers, more than the rest of an idle cycle. A move the
// hooks see still comes in at once as a cursor-moved event and makes every cycle read again, so
// the sparser reads only delay the first move over a window without hooks, by at most a quarter
// of a second.
#pragma once

namespace brevan::screensource {

class CursorRest {
 public:
  static constexpr int kRestingCycles = 100;   // 10 ms apart: about a second
  static constexpr int kReadEveryWhileResting = 25;

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
