#include "block_sort.h"

#include <algorithm>
#include <vector>

#include "suffix_sort.h"

namespace spatial {
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

// Follows the links from the row of block offset 1 through the whole block.
void decodeBlock(const uint8_t* column, uint32_t rowCount, uint32_t firstRow, uint32_t endRow,
                 uint8_t* target, std::vector<uint32_t>& link) {
  uint32_t total[257] = {};
  for (uint32_t r = 0; r < rowCount; ++r) ++total[column[r]];
  --total[column[endRow]];  // the end row sorts after every byte
  ++total[256];
  uint32_t sum = 0;
  for (uint32_t& t : total) {
    const uint32_t count = t;
    t = sum;
    sum += count;
  }
  link.resize(rowCount);
  for (uint32_t r = 0; r < rowCount; ++r) {
    const uint32_t symbol = r == endRow ? 256 : column[r];
    link[total[symbol]++] = r << kRowShift | column[r];
  }

  uint32_t entry = firstRow << kRowShift | column[firstRow];
  for (uint32_t i = 0; i + 1 < rowCount; ++i) {
    target[i] = static_cast<uint8_t>(entry);
    entry = link[entry >> kRowShift];
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

CodecStatus blockSortDecode(const uint8_t* in, size_t n, ByteWriter& out) {
  std::vector<uint32_t> link;
  size_t at = 0;
  while (at < n) {
    if (n - at < 4) return CodecStatus::badInput;
    const uint32_t rowCount = readLe32(in + at);
    at += 4;
    if (rowCount == 0 || rowCount > kMaxBlockBytes + 1 || n - at < size_t(rowCount) + 8)
      return CodecStatus::badInput;
    const uint8_t* column = in + at;
    const uint32_t firstRow = readLe32(column + rowCount);
    const uint32_t endRow = readLe32(column + rowCount + 4);
    at += size_t(rowCount) + 8;
    if (firstRow >= rowCount || endRow >= rowCount) return CodecStatus::badInput;

    const size_t targetAt = out.size();
    if (!out.putRepeated(0, rowCount - 1)) return CodecStatus::tooLarge;
    uint8_t* target = out.data() + targetAt;
    decodeBlock(column, rowCount, firstRow, endRow, target, link);
    perturbBlock(target, rowCount - 1, true);
  }
  return CodecStatus::ok;
}

}  // namespace spatial
