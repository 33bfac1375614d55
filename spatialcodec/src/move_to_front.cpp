#include "move_to_front.h"

#include <cstring>

#include "byte_runs.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace brevan::spatial {
namespace {

// After the block sort most symbols sit at the very front of the list, so the
// first places are searched inline before a library search of the rest, and
// the first sixteen are shifted as words.
constexpr uint8_t kInlinePlaces = 8;
constexpr uint8_t kWordPlaces = sizeof(uint64_t);

struct FrontList {
  alignas(16) uint8_t order[256];
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
    if constexpr (kLittleEndianBytes) {
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
    uint64_t word = load64(order + first);
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

void decodeWithList(FrontList& list, uint8_t* data, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    const uint8_t position = data[i];
    data[i] = list.order[position];
    list.bringToFront(position);
  }
}

#if defined(__x86_64__)
// The decoder for x86-64 processors with byte shuffles (the 32-bit Windows
// build keeps the plain loop, as the other codecs do). The first sixteen
// places live in a vector register: bringing one of them to the front is a
// single byte shuffle, which the next byte's move waits on for one cycle
// instead of a store and a load. Farther places are kept in memory as aligned
// sixteen-byte pieces, each shifted up a place with the last byte of the
// piece below.
struct FrontShuffles {
  uint8_t control[16][16];  // place p to the front, places before it up one
  uint8_t upTo[16][16];     // lanes 0..p set
};

constexpr FrontShuffles frontShuffles() {
  FrontShuffles t{};
  for (int p = 0; p < 16; ++p) {
    for (int i = 0; i < 16; ++i) {
      t.control[p][i] = uint8_t(i == 0 ? p : i <= p ? i - 1 : i);
      t.upTo[p][i] = i <= p ? 0xFF : 0;
    }
  }
  return t;
}

alignas(16) constexpr FrontShuffles kFrontShuffles = frontShuffles();

__attribute__((target("ssse3"))) inline __m128i loadPiece(const uint8_t* p) {
  return _mm_load_si128(reinterpret_cast<const __m128i*>(p));
}

// Places 16..position up one, the last place of `front` going to place 16.
__attribute__((target("ssse3"))) void shiftPieces(uint8_t* order, uint8_t position, __m128i front) {
  const int last = position >> 4;
  __m128i below = front;
  for (int piece = 1; piece < last; ++piece) {
    const __m128i here = loadPiece(order + 16 * piece);
    _mm_store_si128(reinterpret_cast<__m128i*>(order + 16 * piece),
                    _mm_alignr_epi8(here, below, 15));
    below = here;
  }
  const __m128i here = loadPiece(order + 16 * last);
  const __m128i moved = loadPiece(kFrontShuffles.upTo[position & 15]);
  const __m128i shifted = _mm_alignr_epi8(here, below, 15);
  _mm_store_si128(reinterpret_cast<__m128i*>(order + 16 * last),
                  _mm_or_si128(_mm_and_si128(moved, shifted), _mm_andnot_si128(moved, here)));
}

__attribute__((target("ssse3"))) void decodeWithFrontVector(FrontList& list, uint8_t* data,
                                                            size_t n) {
  __m128i front = loadPiece(list.order);
  for (size_t i = 0; i < n; ++i) {
    const uint8_t position = data[i];
    if (position < 16) {
      front = _mm_shuffle_epi8(front, loadPiece(kFrontShuffles.control[position]));
      data[i] = static_cast<uint8_t>(_mm_cvtsi128_si32(front));
    } else {
      const uint8_t value = list.order[position];
      shiftPieces(list.order, position, front);
      front = _mm_or_si128(_mm_slli_si128(front, 1), _mm_cvtsi32_si128(value));
      data[i] = value;
    }
  }
  _mm_store_si128(reinterpret_cast<__m128i*>(list.order), front);
}

bool hasByteShuffles() {
  static const bool has = __builtin_cpu_supports("ssse3");
  return has;
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

MoveToFrontDecoder::MoveToFrontDecoder(bool plainOnly) : plainOnly_(plainOnly) {
  std::memcpy(order_, FrontList().order, sizeof order_);
}

// The list is worked on as a local, which the stores into `data` cannot touch.
void MoveToFrontDecoder::decode(uint8_t* data, size_t n) {
  FrontList list;
  std::memcpy(list.order, order_, sizeof order_);
#if defined(__x86_64__)
  if (!plainOnly_ && hasByteShuffles())
    decodeWithFrontVector(list, data, n);
  else
#endif
    decodeWithList(list, data, n);
  std::memcpy(order_, list.order, sizeof order_);
}

void moveToFrontDecode(uint8_t* data, size_t n) { MoveToFrontDecoder().decode(data, n); }

}  // namespace brevan::spatial
