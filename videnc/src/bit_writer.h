// Packet bit writer: bits fill 32-bit words from the least significant end,
// so bit k of the packet is bit (k mod 8) of byte k / 8 once the words are
// laid out little-endian.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace brevan::videnc {

class BitWriter {
 public:
  static constexpr size_t kGrowWords = 8192;

  BitWriter() : words_(kGrowWords, 0) { clear(); }
  BitWriter(const BitWriter& other) : words_(other.words_) { copyStateFrom(other); }
  BitWriter& operator=(const BitWriter& other) {
    words_ = other.words_;
    copyStateFrom(other);
    return *this;
  }

  void clear() {
    next_ = words_.data();
    pending_ = 0;
    pendingCount_ = 0;
  }

  // Appends the low `count` bits of `value` (count <= 32, value < 2^count),
  // lowest bit first.
  void put(uint32_t value, unsigned count) {
    if (next_ == words_.data() + words_.size()) grow();
    append(value, count, next_, pending_, pendingCount_);
  }

  void putBit(bool bit) { put(bit ? 1u : 0u, 1); }

  // A stretch of puts whose total is known to be small: the room is made
  // once, up front, and the state is a local copy, so that a loop of puts
  // keeps it in registers. Nothing else may write to the writer until the
  // stretch is handed back to finish().
  class Stretch {
   public:
    void put(uint32_t value, unsigned count) {
      append(value, count, next_, pending_, pendingCount_);
    }
    void putBit(bool bit) { put(bit ? 1u : 0u, 1); }

   private:
    friend class BitWriter;
    Stretch(uint32_t* next, uint64_t pending, uint64_t pendingCount)
        : next_(next), pending_(pending), pendingCount_(pendingCount) {}
    uint32_t* next_;
    uint64_t pending_;
    uint64_t pendingCount_;
  };

  // A stretch for at most maxBits bits (and the word that append stores
  // past the last full one).
  Stretch start(unsigned maxBits) {
    while (static_cast<size_t>(words_.data() + words_.size() - next_) <= maxBits / 32 + 1) grow();
    return Stretch(next_, pending_, pendingCount_);
  }
  void finish(const Stretch& stretch) {
    next_ = stretch.next_;
    pending_ = stretch.pending_;
    pendingCount_ = stretch.pendingCount_;
  }

  size_t bitLength() const { return wordsWritten() * 32 + static_cast<size_t>(pendingCount_); }
  size_t byteLength() const { return (bitLength() + 7) / 8; }

  // Writes byteLength() bytes; the unused bits of the last byte are 0.
  void copyBytes(uint8_t* out) const;
  std::vector<uint8_t> bytes() const;

 private:
  // The bits join the pending ones; a full word goes to next (which must
  // have room for it). Without a branch: the low word is always stored and
  // kept only when full, since whether a code fills it is as good as
  // random and a mispredicted jump costs more than the store.
  static void append(uint32_t value, unsigned count, uint32_t*& next, uint64_t& pending,
                     uint64_t& pendingCount) {
    pending |= static_cast<uint64_t>(value) << pendingCount;
    pendingCount += count;
    *next = static_cast<uint32_t>(pending);
    const uint64_t full = pendingCount >> 5;  // 0 or 1: pendingCount < 64
    next += full;
    pending >>= full << 5;
    pendingCount &= 31;
  }

  size_t wordsWritten() const { return static_cast<size_t>(next_ - words_.data()); }
  void grow();
  void copyStateFrom(const BitWriter& other);

  std::vector<uint32_t> words_;
  // The state is a pointer and 64-bit integers on purpose: a store of a
  // 32-bit word cannot alias them, so a run of put() calls keeps them in
  // registers.
  uint32_t* next_;         // where the next full word goes
  uint64_t pending_;       // bits not yet in a word, lowest first
  uint64_t pendingCount_;  // how many (< 32)
};

}  // namespace brevan::videnc
