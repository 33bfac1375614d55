#include "block_coder.h"

#include "coeff_table.h"
#include "quantiser.h"

namespace brevan::videnc {
namespace {

inline int32_t clampToEscape(int32_t v) {
  if (v > kEscapeMaxLevel) return kEscapeMaxLevel;
  if (v < -kEscapeMaxLevel) return -kEscapeMaxLevel;
  return v;
}

// Every code word for |level| < 32, the escape where the table has none:
// the word without its sign bit in the low bits and its length, sign
// included, from bit kLengthShift up. The sign bit is always the word's
// last (top) bit, for table codes and escapes alike. Also the scan
// position of every natural position.
constexpr int kLengthShift = 27;
struct WriterTables {
  uint32_t escape;  // the escape code in packet order
  uint32_t entry[kLookupSize];
  uint8_t scanOf[64];

  WriterTables() : escape(packetOrderBits(kEscapeBits)) {
    const CoeffLookup& lookup = coeffLookup();
    for (int last = 0; last < 2; ++last) {
      for (int run = 0; run < 64; ++run) {
        for (int magnitude = 0; magnitude < 32; ++magnitude) {
          const int index = lookupIndex(last, run, magnitude);
          const int32_t length = lookup.length[index];
          entry[index] = length > 0 ? static_cast<uint32_t>(lookup.code[index]) |
                                          static_cast<uint32_t>(length + 1) << kLengthShift
                                    : escapeWord(last, run, magnitude, 0) |
                                          uint32_t{kEscapeTotalBits} << kLengthShift;
        }
      }
    }
    for (int i = 0; i < 64; ++i) scanOf[kZigzag[i]] = static_cast<uint8_t>(i);
  }

  // Escape code bits in packet order, followed by last, run, |level|, sign.
  uint32_t escapeWord(uint32_t last, uint32_t run, uint32_t magnitude, uint32_t positive) const {
    return escape | last << 7 | run << 8 | magnitude << 14 | positive << 23;
  }
};

// Built at load time, so the per-level code carries no first-use checks.
const WriterTables kTables;

inline void writeLevel(BitWriter::Stretch& out, uint32_t last, uint32_t run, int32_t level) {
  const uint32_t positive = level > 0 ? 1u : 0u;
  const uint32_t magnitude = static_cast<uint32_t>(level > 0 ? level : -level);
  if (__builtin_expect(magnitude < 32, 1)) {
    const uint32_t entry = kTables.entry[lookupIndex(static_cast<int>(last), static_cast<int>(run),
                                                     static_cast<int>(magnitude))];
    const unsigned length = entry >> kLengthShift;
    out.put((entry & ((1u << kLengthShift) - 1)) | positive << (length - 1), length);
    return;
  }
  out.put(kTables.escapeWord(last, run, magnitude, positive), kEscapeTotalBits);
}

// The AC bits of a natural-order mask, moved to their scan positions.
uint64_t acInScanOrder(uint64_t natural) {
  uint64_t mask = 0;
  for (uint64_t rest = natural & ~uint64_t{1}; rest != 0; rest &= rest - 1) {
    mask |= uint64_t{1} << kTables.scanOf[__builtin_ctzll(rest)];
  }
  return mask;
}

}  // namespace

void writeBlock(BitWriter& out, int32_t* levels, int32_t& dcPrediction) {
  writeBlock(out, levels, nonzeroMask(levels), dcPrediction);
}

void writeBlock(BitWriter& out, int32_t* levels, uint64_t natural, int32_t& dcPrediction) {
  const int32_t dc = clampToEscape(
      static_cast<int32_t>(static_cast<uint32_t>(levels[0]) - static_cast<uint32_t>(dcPrediction)));
  levels[0] = static_cast<int32_t>(static_cast<uint32_t>(dcPrediction) + static_cast<uint32_t>(dc));
  dcPrediction = levels[0];

  // Bit i set for an AC level to send at scan position i, so that the
  // loop below visits only the nonzero levels.
  uint64_t ac = acInScanOrder(natural);
  if (ac == 0 && dc == 0) {
    out.putBit(false);
    return;
  }
  BitWriter::Stretch stretch = out.start(kMaxBlockBits);
  stretch.putBit(true);
  // One past the scan position sent last, so the run is i - next.
  uint32_t next = 0;
  if (dc != 0) {
    writeLevel(stretch, ac == 0 ? 1 : 0, 0, dc);
    next = 1;
  }
  while (ac != 0) {
    const uint32_t i = static_cast<uint32_t>(__builtin_ctzll(ac));
    ac &= ac - 1;
    int32_t& stored = levels[kZigzag[i]];
    stored = clampToEscape(stored);
    writeLevel(stretch, ac == 0 ? 1 : 0, i - next, stored);
    next = i + 1;
  }
  out.finish(stretch);
}

}  // namespace brevan::videnc
