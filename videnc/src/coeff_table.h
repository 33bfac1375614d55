// Run-level coefficient codes of the video packets.
//
// The codes are the transform-coefficient (TCOEF) table of ITU-T H.263:
// 102 codes for (last, run, |level|) triples plus a 7-bit escape. The table
// below is written exactly as the Recommendation lists it (code bits first
// bit first, without the trailing sign bit). Everything the coder and the
// decoder use at run time is derived from it by code, once per process.
#pragma once

#include <cstdint>

namespace brevan::videnc {

struct CoeffCode {
  uint8_t last;
  uint8_t run;
  uint8_t level;     // magnitude, 1..12
  const char* bits;  // '0'/'1', first transmitted bit first
};

constexpr int kCoeffCodeCount = 102;
extern const CoeffCode kCoeffCodes[kCoeffCodeCount];
extern const char kEscapeBits[];  // "0000011"

// Escape payload after the escape code: last, run, |level|, sign.
constexpr int kEscapeLastBits = 1;
constexpr int kEscapeRunBits = 6;
constexpr int kEscapeLevelBits = 9;
constexpr int kEscapeMaxLevel = (1 << kEscapeLevelBits) - 1;
constexpr int kEscapeTotalBits = 7 + kEscapeLastBits + kEscapeRunBits + kEscapeLevelBits + 1;

// Longest code of the table, without its sign bit.
constexpr int kMaxCodeBits = 12;

// Encoder lookup: one entry per last + 2 * (64 * |level| + run) for
// |level| < 32 and run < 64. `code` holds the code bits in packet order
// (first code bit in bit 0, ready for a least-significant-first writer);
// both arrays hold -1 where the table has no code for the triple.
constexpr int kLookupSize = 4096;
inline int lookupIndex(int last, int run, int level) { return last + 2 * (64 * level + run); }

struct CoeffLookup {
  int32_t code[kLookupSize];
  int32_t length[kLookupSize];
};
const CoeffLookup& coeffLookup();

// Decoder lookup: indexed by the next kMaxCodeBits packet bits (the first
// one in bit 0). `length` is 0 for a prefix that starts no code.
struct DecodeEntry {
  uint8_t length;
  uint8_t last;
  uint8_t run;
  uint8_t level;  // 0 marks the escape
};
constexpr int kDecodeSize = 1 << kMaxCodeBits;
const DecodeEntry* coeffDecodeTable();

// Code bits of a '0'/'1' string in packet order (first bit in bit 0).
uint32_t packetOrderBits(const char* bits);
int codeLength(const char* bits);

}  // namespace brevan::videnc
