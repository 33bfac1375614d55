// Block-sorted form: the input cut into blocks of at most 50,000 bytes, each
// written as
//   blockLength (n + 1, 32-bit little-endian)
//   last column (n + 1 bytes; "?" where the whole block's suffix has no
//                preceding byte)
//   firstRow, endRow (32-bit little-endian)
// Every 477th byte of a block is perturbed before sorting so that long runs
// do not stay runs through the transform.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "byte_writer.h"
#include "codec_status.h"

namespace brevan::spatial {

constexpr size_t kMaxBlockBytes = 50000;
constexpr size_t kBlockOverhead = 13;  // blockLength, "?", firstRow, endRow
constexpr int kWalkedTogether = 4;     // blocks the decoder walks in turns

size_t blockSortBound(size_t n);

// Adds (or with subtract, removes) k at block offset 477·k.
void perturbBlock(uint8_t* block, size_t n, bool subtract);

bool blockSortEncode(const uint8_t* in, size_t n, ByteWriter& out);

// badInput for a block longer than 50,000 bytes, a block cut short, or rows
// outside the block.
CodecStatus blockSortDecode(const uint8_t* in, size_t n, ByteWriter& out);

// The decoder of a form that arrives in pieces.
class BlockSortDecoder {
 public:
  // Decodes the whole blocks at the front of in[0, n), two at a time unless
  // `last` says no more will come; `used` is the bytes they took. The
  // statuses of blockSortDecode, a block cut short being one only when last.
  CodecStatus decode(const uint8_t* in, size_t n, bool last, ByteWriter& out, size_t& used);

 private:
  std::vector<uint16_t> links_[kWalkedTogether];
};

}  // namespace brevan::spatial
