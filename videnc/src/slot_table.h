// Fixed table of ten objects that Java names by slot index.
#pragma once

#include <array>
#include <memory>

namespace brevan::videnc {

template <class T>
class SlotTable {
 public:
  static constexpr int kSlots = 10;

  // Lowest free slot holding the object, or -1 when all are taken.
  int add(std::unique_ptr<T> object) {
    for (int i = 0; i < kSlots; ++i) {
      if (!slots_[static_cast<size_t>(i)]) {
        slots_[static_cast<size_t>(i)] = std::move(object);
        return i;
      }
    }
    return -1;
  }

  // Null for an index outside 0..9 or an empty slot.
  T* get(int index) const {
    if (index < 0 || index >= kSlots) return nullptr;
    return slots_[static_cast<size_t>(index)].get();
  }

  void remove(int index) {
    if (index >= 0 && index < kSlots) slots_[static_cast<size_t>(index)].reset();
  }

 private:
  std::array<std::unique_ptr<T>, kSlots> slots_;
};

}  // namespace brevan::videnc
