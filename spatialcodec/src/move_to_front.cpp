#include "move_to_front.h"

#include <cstring>

namespace brevan::spatial {
namespace {

// After the block sort most symbols sit at the very front of the list, so the
// first places are searched inline before a library search of the rest, and
// the first sixteen are shifted as words.
constexpr uint8_t kInlinePlaces = 8;
constexpr uint8_t kWordPlaces = sizeof(uint64_t);
constexpr bool kLittleEndian = __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__;

struct FrontList {
  uint8_t order[256];
  FrontList() {
    for (int i = 0; i < 256; ++i) order[i] = static_cast<uint8_t>(i);
  }
  uint8_t positionOf(uint8_t value) const {
    for (uint8_t p = 0; p < kInlinePlaces; ++p)
      if (order[p] == value) return p;
    const void* found = std::memchr(order + kInlinePlaces, value, 256 - kInlinePlaces);
    return static_cast<uint8_t>(static_cast<const uint8_t*>(found) - order);
  }
  void bringToFront(uint8_t position) {
    const uint8_t value = order[position];
    if constexpr (kLittleEndian) {
      if (position < kWordPlaces) return shiftWord(0, position, value);
      if (position < 2 * kWordPlaces) {
        shiftWord(kWordPlaces, position - kWordPlaces, order[kWordPlaces - 1]);
        return shiftWord(0, kWordPlaces - 1, value);
      }
      return shiftFar(position, value);
    }
    for (uint8_t p = position; p > 0; --p) order[p] = order[p - 1];
    order[0] = value;
  }

  // The eight places from `first` as one word: the places up to `position`
  // take `value` and the places before them, the others stay. No branch on
  // the position, which after the block sort is hard to foresee.
  void shiftWord(int first, uint8_t position, uint8_t value) {
    uint64_t word;
    std::memcpy(&word, order + first, sizeof word);
    const uint64_t moved = ~uint64_t(0) >> (8 * (kWordPlaces - 1 - position));
    word = (((word << 8) | value) & moved) | (word & ~moved);
    std::memcpy(order + first, &word, sizeof word);
  }

  // Places 0..position-1 move up one, 16 at a time from the top: each piece
  // is read before anything below it is written. The first 16 places,
  // read before all, go last.
  void shiftFar(uint8_t position, uint8_t value) {
    uint8_t front[16];
    std::memcpy(front, order, sizeof front);
    for (int from = position - 16; from >= 0; from -= 16) {
      uint8_t piece[16];
      std::memcpy(piece, order + from, sizeof piece);
      std::memcpy(order + from + 1, piece, sizeof piece);
    }
    std::memcpy(order + 1, front, sizeof front);
    order[0] = value;
  }
};

#if defined(__SSE2__)
// Where 16-byte vectors are at hand the encoder keeps every value's place
// instead of the list: a place is one load, and bringing a value to the front
// adds one to the places below it, 16 values per step, without a branch or a
// search whose length the data decides. Places are kept less 128, as signed
// bytes, because SSE2 compares only those.
using SignedLanes = int8_t __attribute__((vector_size(16)));

struct PlaceTable {
  alignas(16) int8_t placeOf[256];
  PlaceTable() {
    for (int i = 0; i < 256; ++i) placeOf[i] = static_cast<int8_t>(i - 128);
  }
  // Adds one to the places below `place` and puts `value` first.
  void bringToFront(uint8_t value, int8_t place) {
    const SignedLanes below = SignedLanes{} + place;
#pragma GCC unroll 16
    for (int v = 0; v < 256; v += int(sizeof(SignedLanes))) {
      SignedLanes places;
      std::memcpy(&places, placeOf + v, sizeof places);
      places -= places < below;  // a true lane compares as -1
      std::memcpy(placeOf + v, &places, sizeof places);
    }
    placeOf[value] = -128;
  }
};

// The next value's place is read before the table takes the current move and
// then corrected for it, so that reading it does not wait for that move.
void encodeWithPlaces(uint8_t* data, size_t n) {
  if (n == 0) return;
  PlaceTable table;
  int8_t place = table.placeOf[data[0]];
  for (size_t i = 0; i < n; ++i) {
    const uint8_t value = data[i];
    const uint8_t next = i + 1 < n ? data[i + 1] : value;
    const int8_t nextBefore = table.placeOf[next];
    if (place != -128) table.bringToFront(value, place);  // already first: nothing moves
    data[i] = static_cast<uint8_t>(place + 128);
    place = next == value ? int8_t(-128) : int8_t(nextBefore + (nextBefore < place));
  }
}
#endif

}  // namespace

void moveToFrontEncode(uint8_t* data, size_t n) {
#if defined(__SSE2__)
  encodeWithPlaces(data, n);
#else
  FrontList list;
  for (size_t i = 0; i < n; ++i) {
    const uint8_t position = list.positionOf(data[i]);
    if (position != 0) list.bringToFront(position);
    data[i] = position;
  }
#endif
}

MoveToFrontDecoder::MoveToFrontDecoder() { std::memcpy(order_, FrontList().order, sizeof order_); }

// The list is worked on as a local, which the stores into `data` cannot touch.
void MoveToFrontDecoder::decode(uint8_t* data, size_t n) {
  FrontList list;
  std::memcpy(list.order, order_, sizeof order_);
  for (size_t i = 0; i < n; ++i) {
    const uint8_t position = data[i];
    data[i] = list.order[position];
    list.bringToFront(position);
  }
  std::memcpy(order_, list.order, sizeof order_);
}

void moveToFrontDecode(uint8_t* data, size_t n) { MoveToFrontDecoder().decode(data, n); }

}  // namespace brevan::spatial
