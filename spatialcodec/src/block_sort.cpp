#include "block_sort.h"

#include <algorithm>
#include <vector>

#include "suffix_sort.h"

namespace brevan::spatial {
namespace {

constexpr size_t kPerturbStride = 477;
constexpr uint8_t kNoPrecedingByte = '?';

uint32_t readLe32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

bool encodeBlock(const uint8_t* data, int32_t n, ByteWriter& out, std::vector<uint8_t>& block,
                 std::vector<int32_t>& rows, std::vector<uint16_t>& scratch) {
  block.assign(data, data + n);
  perturbBlock(block.data(), block.size(), false);
  sortBlockSuffixes(block.data(), n, rows, scratch);

  if (!out.putLe32(uint32_t(n) + 1)) return false;
  const size_t columnAt = out.size();
  if (!out.putRepeated(0, size_t(n) + 1)) return false;
  uint8_t* column = out.data() + columnAt;
  uint32_t firstRow = 0;
  uint32_t endRow = 0;
  for (int32_t r = 0; r <= n; ++r) {
    const int32_t s = rows[r];
    if (s == 0) {
      column[r] = kNoPrecedingByte;
      endRow = uint32_t(r);
    } else {
      column[r] = block[s - 1];
      if (s == 1) firstRow = uint32_t(r);
    }
  }
  return out.putLe32(firstRow) && out.putLe32(endRow);
}

// Each link entry holds the next row above its byte, so every step of the
// walk through the block costs one load.
constexpr uint32_t kRowShift = 8;

// A block as read from the stream, with the place reserved for its bytes.
struct CodedBlock {
  const uint8_t* column = nullptr;
  uint32_t rowCount = 0;
  uint32_t firstRow = 0;
  uint32_t endRow = 0;
  size_t end = 0;  // where the next block starts
  size_t targetAt = 0;
};

enum class Framing { whole, cutShort, bad };

// Reads the block at `at` (rowCount + 12 bytes when whole); its bytes are not
// placed yet.
Framing readBlock(const uint8_t* in, size_t n, size_t at, CodedBlock& b) {
  if (n - at < 4) return Framing::cutShort;
  b.rowCount = readLe32(in + at);
  if (b.rowCount == 0 || b.rowCount > kMaxBlockBytes + 1) return Framing::bad;
  if (n - at - 4 < size_t(b.rowCount) + 8) return Framing::cutShort;
  b.column = in + at + 4;
  b.firstRow = readLe32(b.column + b.rowCount);
  b.endRow = readLe32(b.column + b.rowCount + 4);
  b.end = at + 4 + size_t(b.rowCount) + 8;
  return b.firstRow < b.rowCount && b.endRow < b.rowCount ? Framing::whole : Framing::bad;
}

// Reserves the block's place in `out`.
bool placeBlock(ByteWriter& out, CodedBlock& b) {
  b.targetAt = out.size();
  return out.putRepeated(0, b.rowCount - 1);
}

// Rows in order of their byte (the end row last), each entry with the byte
// of its row. Four partial counts keep runs of one byte from serialising on
// a single counter.
void buildLinks(const CodedBlock& b, std::vector<uint32_t>& link) {
  uint32_t partial[4][257] = {};
  uint32_t r = 0;
  for (; r + 4 <= b.rowCount; r += 4)
    for (int k = 0; k < 4; ++k) ++partial[k][b.column[r + k]];
  for (; r < b.rowCount; ++r) ++partial[0][b.column[r]];
  --partial[0][b.column[b.endRow]];  // the end row sorts after every byte
  ++partial[0][256];
  uint32_t next[257];
  uint32_t sum = 0;
  for (int c = 0; c < 257; ++c) {
    next[c] = sum;
    sum += partial[0][c] + partial[1][c] + partial[2][c] + partial[3][c];
  }
  link.resize(b.rowCount);
  uint32_t* out = link.data();
  for (r = 0; r < b.rowCount; ++r) {
    const uint32_t symbol = r == b.endRow ? 256 : b.column[r];
    out[next[symbol]++] = r << kRowShift | b.column[r];
  }
}

uint32_t firstEntry(const CodedBlock& b) { return b.firstRow << kRowShift | b.column[b.firstRow]; }

// Follows one block's links for `steps` bytes; returns where it stopped.
uint32_t walk(uint32_t entry, const uint32_t* link, uint8_t* target, uint32_t steps) {
  for (uint32_t i = 0; i < steps; ++i) {
    target[i] = static_cast<uint8_t>(entry);
    entry = link[entry >> kRowShift];
  }
  return entry;
}

// Two blocks' walks interleaved: each step waits on a load, and the two
// chains do not depend on each other.
void walkTogether(uint32_t& a, const uint32_t* linkA, uint8_t* targetA, uint32_t& b,
                  const uint32_t* linkB, uint8_t* targetB, uint32_t steps) {
  for (uint32_t i = 0; i < steps; ++i) {
    targetA[i] = static_cast<uint8_t>(a);
    targetB[i] = static_cast<uint8_t>(b);
    a = linkA[a >> kRowShift];
    b = linkB[b >> kRowShift];
  }
}

// Decodes blocks a and b (each rowCount - 1 bytes) into their reserved places.
void decodePair(const CodedBlock& a, const CodedBlock& b, uint8_t* data,
                std::vector<uint32_t>& linkA, std::vector<uint32_t>& linkB) {
  buildLinks(a, linkA);
  buildLinks(b, linkB);
  const uint32_t lengthA = a.rowCount - 1;
  const uint32_t lengthB = b.rowCount - 1;
  const uint32_t common = std::min(lengthA, lengthB);
  uint8_t* targetA = data + a.targetAt;
  uint8_t* targetB = data + b.targetAt;
  uint32_t entryA = firstEntry(a);
  uint32_t entryB = firstEntry(b);
  walkTogether(entryA, linkA.data(), targetA, entryB, linkB.data(), targetB, common);
  walk(entryA, linkA.data(), targetA + common, lengthA - common);
  walk(entryB, linkB.data(), targetB + common, lengthB - common);
  perturbBlock(targetA, lengthA, true);
  perturbBlock(targetB, lengthB, true);
}

void decodeSingle(const CodedBlock& a, uint8_t* data, std::vector<uint32_t>& link) {
  buildLinks(a, link);
  walk(firstEntry(a), link.data(), data + a.targetAt, a.rowCount - 1);
  perturbBlock(data + a.targetAt, a.rowCount - 1, true);
}

}  // namespace

size_t blockSortBound(size_t n) {
  return n + kBlockOverhead * ((n + kMaxBlockBytes - 1) / kMaxBlockBytes);
}

void perturbBlock(uint8_t* block, size_t n, bool subtract) {
  size_t k = 0;
  for (size_t offset = 0; offset < n; offset += kPerturbStride, ++k) {
    const uint8_t delta = static_cast<uint8_t>(k);
    block[offset] = static_cast<uint8_t>(subtract ? block[offset] - delta : block[offset] + delta);
  }
}

bool blockSortEncode(const uint8_t* in, size_t n, ByteWriter& out) {
  std::vector<uint8_t> block;
  std::vector<int32_t> rows;
  std::vector<uint16_t> scratch;
  for (size_t at = 0; at < n; at += kMaxBlockBytes) {
    const size_t length = std::min(kMaxBlockBytes, n - at);
    if (!encodeBlock(in + at, int32_t(length), out, block, rows, scratch)) return false;
  }
  return true;
}

CodecStatus BlockSortDecoder::decode(const uint8_t* in, size_t n, bool last, ByteWriter& out,
                                     size_t& used) {
  used = 0;
  while (used < n) {
    CodedBlock a, b;
    Framing f = readBlock(in, n, used, a);
    if (f == Framing::bad || (f == Framing::cutShort && last)) return CodecStatus::badInput;
    if (f == Framing::cutShort || (a.end == n && !last)) return CodecStatus::ok;  // more to come
    if (a.end == n) {
      if (!placeBlock(out, a)) return CodecStatus::tooLarge;
      decodeSingle(a, out.data(), linkA_);
      used = n;
      break;
    }
    f = readBlock(in, n, a.end, b);
    if (f == Framing::cutShort && !last) return CodecStatus::ok;
    // The checks in the order of the blocks: a's place before b's framing.
    if (!placeBlock(out, a)) return CodecStatus::tooLarge;
    if (f != Framing::whole) return CodecStatus::badInput;  // the whole result is dropped
    if (!placeBlock(out, b)) return CodecStatus::tooLarge;
    decodePair(a, b, out.data(), linkA_, linkB_);
    used = b.end;
  }
  return CodecStatus::ok;
}

CodecStatus blockSortDecode(const uint8_t* in, size_t n, ByteWriter& out) {
  BlockSortDecoder decoder;
  size_t used = 0;
  return decoder.decode(in, n, true, out, used);
}

}  // namespace brevan::spatial
