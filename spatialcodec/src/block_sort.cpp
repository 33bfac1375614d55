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
  if (!out.extend(size_t(n) + 1)) return false;
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

// A block has at most 50,001 rows, so a row number fits in 16 bits: the link
// tables of the blocks walked together stay small enough for the cache.
using Row = uint16_t;

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

// Reserves the block's place in `out`, which its walk fills.
bool placeBlock(ByteWriter& out, CodedBlock& b) {
  b.targetAt = out.size();
  return out.extend(b.rowCount - 1);
}

// Rows in order of their byte (the end row last): the row that follows each
// row in the text. Four partial counts keep runs of one byte from
// serialising on a single counter.
void buildLinks(const CodedBlock& b, std::vector<Row>& link) {
  uint32_t partial[4][257] = {};
  uint32_t r = 0;
  for (; r + 4 <= b.rowCount; r += 4) {
#pragma GCC unroll 4
    for (int k = 0; k < 4; ++k) ++partial[k][b.column[r + k]];
  }
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
  Row* out = link.data();
  const auto symbolOf = [&b](uint32_t row) { return row == b.endRow ? 256u : b.column[row]; };
  // Four rows a step, their places read before any is written and raised by
  // the rows before them with the same byte: within a run of one byte, each
  // step waits on one store to a counter instead of four.
  for (r = 0; r + 4 <= b.rowCount; r += 4) {
    const uint32_t c0 = symbolOf(r), c1 = symbolOf(r + 1);
    const uint32_t c2 = symbolOf(r + 2), c3 = symbolOf(r + 3);
    const uint32_t p0 = next[c0];
    const uint32_t p1 = next[c1] + (c1 == c0);
    const uint32_t p2 = next[c2] + (c2 == c0) + (c2 == c1);
    const uint32_t p3 = next[c3] + (c3 == c0) + (c3 == c1) + (c3 == c2);
    out[p0] = Row(r);
    out[p1] = Row(r + 1);
    out[p2] = Row(r + 2);
    out[p3] = Row(r + 3);
    next[c0] = p0 + 1;  // later rows of the same byte overwrite with more
    next[c1] = p1 + 1;
    next[c2] = p2 + 1;
    next[c3] = p3 + 1;
  }
  for (; r < b.rowCount; ++r) out[next[symbolOf(r)]++] = Row(r);
}

// One block's walk through its links, which a few blocks take in turns: each
// step waits on a load, and the blocks' chains do not depend on each other.
struct Walk {
  const uint8_t* column;
  const Row* link;
  uint8_t* target;
  uint32_t length;
  uint32_t row;
};

// The walks' state is held in locals for the loop: the stores of bytes
// could otherwise overwrite it as far as the compiler knows, and every step
// would reload it.
template <int kWalks>
void walkTogether(Walk* walks, uint32_t steps) {
  const uint8_t* column[kWalks];
  const Row* link[kWalks];
  uint8_t* target[kWalks];
  uint32_t row[kWalks];
  for (int k = 0; k < kWalks; ++k) {
    column[k] = walks[k].column;
    link[k] = walks[k].link;
    target[k] = walks[k].target;
    row[k] = walks[k].row;
  }
  for (uint32_t i = 0; i < steps; ++i) {
#pragma GCC unroll 4
    for (int k = 0; k < kWalks; ++k) {
      target[k][i] = column[k][row[k]];
      row[k] = link[k][row[k]];
    }
  }
  for (int k = 0; k < kWalks; ++k) walks[k].row = row[k];
}

// Decodes the blocks (each rowCount - 1 bytes) into their reserved places,
// walking them together while the shortest lasts.
void decodeBlocks(const CodedBlock* blocks, int count, uint8_t* data, std::vector<Row>* links) {
  Walk walks[kWalkedTogether];
  uint32_t shortest = ~uint32_t(0);
  for (int k = 0; k < count; ++k) {
    buildLinks(blocks[k], links[k]);
    walks[k] = {blocks[k].column, links[k].data(), data + blocks[k].targetAt,
                blocks[k].rowCount - 1, blocks[k].firstRow};
    shortest = std::min(shortest, walks[k].length);
  }
  uint32_t done = 0;
  if (count == kWalkedTogether) {
    walkTogether<kWalkedTogether>(walks, shortest);
    done = shortest;
  }
  for (int k = 0; k < count; ++k) {
    Walk rest = walks[k];
    rest.target += done;
    rest.length -= done;
    walkTogether<1>(&rest, rest.length);
    perturbBlock(walks[k].target, walks[k].length, true);
  }
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
    // A group of whole blocks, ended by the group's size, the input's end or
    // a block that is not whole.
    CodedBlock group[kWalkedTogether];
    int count = 0;
    size_t at = used;
    Framing f = Framing::whole;
    while (count < kWalkedTogether && at < n) {
      f = readBlock(in, n, at, group[count]);
      if (f != Framing::whole) break;
      at = group[count++].end;
    }
    if (!last && (f == Framing::cutShort || count < kWalkedTogether)) return CodecStatus::ok;
    // The checks in the order of the blocks: each block's place before the
    // next block's framing.
    for (int k = 0; k < count; ++k)
      if (!placeBlock(out, group[k])) return CodecStatus::tooLarge;
    if (f != Framing::whole) return CodecStatus::badInput;  // the whole result is dropped
    decodeBlocks(group, count, out.data(), links_);
    used = at;
  }
  return CodecStatus::ok;
}

CodecStatus blockSortDecode(const uint8_t* in, size_t n, ByteWriter& out) {
  BlockSortDecoder decoder;
  size_t used = 0;
  return decoder.decode(in, n, true, out, used);
}

}  // namespace brevan::spatial
