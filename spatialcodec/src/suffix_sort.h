// Suffix sorting for the block transform.
//
// Blocks order their suffixes with the end of the block acting as a symbol
// greater than every byte. That order is the reverse of the usual one (end
// smallest) over the complemented bytes, which the induced-sorting algorithm
// of Nong, Zhang and Chan (SA-IS, 2009) computes in linear time, so runs and
// other repetitive blocks cost no more than random ones. Its LMS suffixes are
// first sorted directly, which ordinary data allows cheaply; a block too
// repetitive for that within a fixed budget takes the recursive route.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace brevan::spatial {

// Fills `rows` with the n + 1 suffix starts 0..n of block[0..n) in block
// order (start n, the empty suffix, comes last). `scratch` is reused across calls.
void sortBlockSuffixes(const uint8_t* block, int32_t n, std::vector<int32_t>& rows,
                       std::vector<uint16_t>& scratch);

}  // namespace brevan::spatial
