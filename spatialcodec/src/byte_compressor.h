// The block-sorting byte compressor: run-length coding, the block sort,
// move-to-front, run-length coding again, then the arithmetic coder. The
// compressed stream has no header; the coder's end symbol closes it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "codec_status.h"

namespace brevan::spatial {

// Compresses in[0..n) into `out`. tooLarge when the stream would pass `limit`
// bytes. No stage ever writes past its own area.
CodecStatus compressBytes(const uint8_t* in, size_t n, size_t limit, std::vector<uint8_t>& out);

// Decompresses a whole stream. tooLarge when the result (or an inner stage of
// a stream that would give such a result) would pass `limit` bytes.
CodecStatus decompressBytes(const uint8_t* in, size_t n, size_t limit, std::vector<uint8_t>& out);

}  // namespace brevan::spatial
