#include "coeff_table.h"

#include <cstring>

namespace brevan::videnc {

// ITU-T H.263, table of VLC codes for TCOEF, in the Recommendation's order.
const CoeffCode kCoeffCodes[kCoeffCodeCount] = {
    {0, 0, 1, "10"},
    {0, 0, 2, "1111"},
    {0, 0, 3, "010101"},
    {0, 0, 4, "0010111"},
    {0, 0, 5, "00011111"},
    {0, 0, 6, "000100101"},
    {0, 0, 7, "000100100"},
    {0, 0, 8, "0000100001"},
    {0, 0, 9, "0000100000"},
    {0, 0, 10, "00000000111"},
    {0, 0, 11, "00000000110"},
    {0, 0, 12, "00000100000"},
    {0, 1, 1, "110"},
    {0, 1, 2, "010100"},
    {0, 1, 3, "00011110"},
    {0, 1, 4, "0000001111"},
    {0, 1, 5, "00000100001"},
    {0, 1, 6, "000001010000"},
    {0, 2, 1, "1110"},
    {0, 2, 2, "00011101"},
    {0, 2, 3, "0000001110"},
    {0, 2, 4, "000001010001"},
    {0, 3, 1, "01101"},
    {0, 3, 2, "000100011"},
    {0, 3, 3, "0000001101"},
    {0, 4, 1, "01100"},
    {0, 4, 2, "000100010"},
    {0, 4, 3, "000001010010"},
    {0, 5, 1, "01011"},
    {0, 5, 2, "0000001100"},
    {0, 5, 3, "000001010011"},
    {0, 6, 1, "010011"},
    {0, 6, 2, "0000001011"},
    {0, 6, 3, "000001010100"},
    {0, 7, 1, "010010"},
    {0, 7, 2, "0000001010"},
    {0, 8, 1, "010001"},
    {0, 8, 2, "0000001001"},
    {0, 9, 1, "010000"},
    {0, 9, 2, "0000001000"},
    {0, 10, 1, "0010110"},
    {0, 10, 2, "000001010101"},
    {0, 11, 1, "0010101"},
    {0, 12, 1, "0010100"},
    {0, 13, 1, "00011100"},
    {0, 14, 1, "00011011"},
    {0, 15, 1, "000100001"},
    {0, 16, 1, "000100000"},
    {0, 17, 1, "000011111"},
    {0, 18, 1, "000011110"},
    {0, 19, 1, "000011101"},
    {0, 20, 1, "000011100"},
    {0, 21, 1, "000011011"},
    {0, 22, 1, "000011010"},
    {0, 23, 1, "00000100010"},
    {0, 24, 1, "00000100011"},
    {0, 25, 1, "000001010110"},
    {0, 26, 1, "000001010111"},
    {1, 0, 1, "0111"},
    {1, 0, 2, "000011001"},
    {1, 0, 3, "00000000101"},
    {1, 1, 1, "001111"},
    {1, 1, 2, "00000000100"},
    {1, 2, 1, "001110"},
    {1, 3, 1, "001101"},
    {1, 4, 1, "001100"},
    {1, 5, 1, "0010011"},
    {1, 6, 1, "0010010"},
    {1, 7, 1, "0010001"},
    {1, 8, 1, "0010000"},
    {1, 9, 1, "00011010"},
    {1, 10, 1, "00011001"},
    {1, 11, 1, "00011000"},
    {1, 12, 1, "00010111"},
    {1, 13, 1, "00010110"},
    {1, 14, 1, "00010101"},
    {1, 15, 1, "00010100"},
    {1, 16, 1, "00010011"},
    {1, 17, 1, "000011000"},
    {1, 18, 1, "000010111"},
    {1, 19, 1, "000010110"},
    {1, 20, 1, "000010101"},
    {1, 21, 1, "000010100"},
    {1, 22, 1, "000010011"},
    {1, 23, 1, "000010010"},
    {1, 24, 1, "000010001"},
    {1, 25, 1, "0000000111"},
    {1, 26, 1, "0000000110"},
    {1, 27, 1, "0000000101"},
    {1, 28, 1, "0000000100"},
    {1, 29, 1, "00000100100"},
    {1, 30, 1, "00000100101"},
    {1, 31, 1, "00000100110"},
    {1, 32, 1, "00000100111"},
    {1, 33, 1, "000001011000"},
    {1, 34, 1, "000001011001"},
    {1, 35, 1, "000001011010"},
    {1, 36, 1, "000001011011"},
    {1, 37, 1, "000001011100"},
    {1, 38, 1, "000001011101"},
    {1, 39, 1, "000001011110"},
    {1, 40, 1, "000001011111"},
};

const char kEscapeBits[] = "0000011";

int codeLength(const char* bits) { return static_cast<int>(std::strlen(bits)); }

uint32_t packetOrderBits(const char* bits) {
  uint32_t value = 0;
  for (int i = 0; bits[i] != '\0'; ++i) {
    if (bits[i] == '1') value |= 1u << i;
  }
  return value;
}

namespace {

CoeffLookup buildLookup() {
  CoeffLookup lookup;
  for (int i = 0; i < kLookupSize; ++i) {
    lookup.code[i] = -1;
    lookup.length[i] = -1;
  }
  for (const CoeffCode& c : kCoeffCodes) {
    const int index = lookupIndex(c.last, c.run, c.level);
    lookup.code[index] = static_cast<int32_t>(packetOrderBits(c.bits));
    lookup.length[index] = codeLength(c.bits);
  }
  return lookup;
}

// Every kMaxCodeBits-bit window whose low bits are a code maps to that code.
void fill(DecodeEntry* table, const char* bits, DecodeEntry entry) {
  const int length = codeLength(bits);
  const uint32_t code = packetOrderBits(bits);
  entry.length = static_cast<uint8_t>(length);
  for (uint32_t rest = 0; rest < (1u << (kMaxCodeBits - length)); ++rest) {
    table[code | (rest << length)] = entry;
  }
}

struct DecodeTable {
  DecodeEntry entries[kDecodeSize];
  DecodeTable() {
    for (DecodeEntry& e : entries) e = DecodeEntry{0, 0, 0, 0};
    for (const CoeffCode& c : kCoeffCodes)
      fill(entries, c.bits, DecodeEntry{0, c.last, c.run, c.level});
    fill(entries, kEscapeBits, DecodeEntry{0, 0, 0, 0});
  }
};

}  // namespace

const CoeffLookup& coeffLookup() {
  static const CoeffLookup lookup = buildLookup();
  return lookup;
}

const DecodeEntry* coeffDecodeTable() {
  static const DecodeTable table;
  return table.entries;
}

}  // namespace brevan::videnc
