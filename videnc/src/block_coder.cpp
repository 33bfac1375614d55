#include "block_coder.h"

#include "coeff_table.h"
#include "quantiser.h"

namespace videnc {
namespace {

inline int32_t clampToEscape(int32_t v) {
    if (v > kEscapeMaxLevel) return kEscapeMaxLevel;
    if (v < -kEscapeMaxLevel) return -kEscapeMaxLevel;
    return v;
}

// Escape code bits in packet order, followed by last, run, |level|, sign.
inline uint32_t escapeWord(uint32_t last, uint32_t run, uint32_t magnitude, uint32_t positive) {
    static const uint32_t kEscape = packetOrderBits(kEscapeBits);
    return kEscape | last << 7 | run << 8 | magnitude << 14 | positive << 23;
}

// Every code word for |level| < 32, the escape where the table has none:
// the word without its sign bit in the low bits and its length, sign
// included, from bit kLengthShift up. The sign bit is always the word's
// last (top) bit, for table codes and escapes alike.
constexpr int kLengthShift = 27;
struct CodeWords {
    uint32_t entry[kLookupSize];
    CodeWords() {
        const CoeffLookup& lookup = coeffLookup();
        for (int last = 0; last < 2; ++last) {
            for (int run = 0; run < 64; ++run) {
                for (int magnitude = 0; magnitude < 32; ++magnitude) {
                    const int index = lookupIndex(last, run, magnitude);
                    const int32_t length = lookup.length[index];
                    entry[index] = length > 0 ? static_cast<uint32_t>(lookup.code[index]) | static_cast<uint32_t>(length + 1) << kLengthShift
                                              : escapeWord(last, run, magnitude, 0) | uint32_t{kEscapeTotalBits} << kLengthShift;
                }
            }
        }
    }
};

inline void writeLevel(BitWriter& out, const CodeWords& words, int last, int run, int32_t level) {
    const uint32_t positive = level > 0 ? 1u : 0u;
    const uint32_t magnitude = static_cast<uint32_t>(level > 0 ? level : -level);
    if (magnitude < 32) {
        const uint32_t entry = words.entry[lookupIndex(last, run, static_cast<int>(magnitude))];
        const unsigned length = entry >> kLengthShift;
        out.put((entry & ((1u << kLengthShift) - 1)) | positive << (length - 1), length);
        return;
    }
    out.put(escapeWord(static_cast<uint32_t>(last), static_cast<uint32_t>(run), magnitude, positive), kEscapeTotalBits);
}

// Natural position -> scan position.
struct ScanPositions {
    uint8_t of[64];
    ScanPositions() {
        for (int i = 0; i < 64; ++i) of[kZigzag[i]] = static_cast<uint8_t>(i);
    }
};

// The AC bits of a natural-order mask, moved to their scan positions.
uint64_t acInScanOrder(uint64_t natural) {
    static const ScanPositions scan;
    uint64_t mask = 0;
    for (uint64_t rest = natural & ~uint64_t{1}; rest != 0; rest &= rest - 1) {
        mask |= uint64_t{1} << scan.of[__builtin_ctzll(rest)];
    }
    return mask;
}

}  // namespace

void writeBlock(BitWriter& out, int32_t* levels, int32_t& dcPrediction) {
    writeBlock(out, levels, nonzeroMask(levels), dcPrediction);
}

void writeBlock(BitWriter& out, int32_t* levels, uint64_t natural, int32_t& dcPrediction) {
    const int32_t dc = clampToEscape(static_cast<int32_t>(static_cast<uint32_t>(levels[0]) - static_cast<uint32_t>(dcPrediction)));
    levels[0] = static_cast<int32_t>(static_cast<uint32_t>(dcPrediction) + static_cast<uint32_t>(dc));
    dcPrediction = levels[0];

    // Bit i set for a level to send at scan position i, so that the loop
    // below visits only the nonzero levels.
    uint64_t nonzero = acInScanOrder(natural) | (dc != 0 ? 1u : 0u);
    if (nonzero == 0) {
        out.putBit(false);
        return;
    }
    out.putBit(true);

    static const CodeWords words;
    int previous = -1;
    while (nonzero != 0) {
        const int i = __builtin_ctzll(nonzero);
        nonzero &= nonzero - 1;
        int32_t level = dc;
        if (i > 0) {
            int32_t& stored = levels[kZigzag[i]];
            stored = clampToEscape(stored);
            level = stored;
        }
        writeLevel(out, words, nonzero == 0 ? 1 : 0, i - previous - 1, level);
        previous = i;
    }
}

}  // namespace videnc
