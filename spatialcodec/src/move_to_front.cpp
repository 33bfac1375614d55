#include "move_to_front.h"

#include <cstring>

namespace spatial {
namespace {

struct FrontList {
  uint8_t order[256];
  FrontList() {
    for (int i = 0; i < 256; ++i) order[i] = static_cast<uint8_t>(i);
  }
  void bringToFront(uint8_t position) {
    const uint8_t value = order[position];
    std::memmove(order + 1, order, position);
    order[0] = value;
  }
};

}  // namespace

void moveToFrontEncode(uint8_t* data, size_t n) {
  FrontList list;
  for (size_t i = 0; i < n; ++i) {
    const uint8_t value = data[i];
    uint8_t position = 0;
    while (list.order[position] != value) ++position;
    list.bringToFront(position);
    data[i] = position;
  }
}

void moveToFrontDecode(uint8_t* data, size_t n) {
  FrontList list;
  for (size_t i = 0; i < n; ++i) {
    const uint8_t position = data[i];
    data[i] = list.order[position];
    list.bringToFront(position);
  }
}

}  // namespace spatial
