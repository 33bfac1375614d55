// LZ run coder for pixel streams: an LZ77 coder in the manner of LZRW1
// (Williams, 1991) with two run codes added.
//
// Groups of up to 16 items follow a big-endian 16-bit control word whose top
// bit describes the first item (0 literal, 1 code). Codes, by their first 12 bits x:
//   x < 0xE00        back reference: distance x (1..3583), length low nibble + 3
//   x in 0xE00-0xEFF long run of 32..4111 bytes: 0xE0 | (run-16)>>8, (run-16)&0xFF, byte
//   x in 0xF00-0xFFF short run of 16..31 bytes:  0xF0 + (run-16), byte
// Candidates come from three slots per bucket of a hash of the next three
// bytes; positions are kept as signed 16-bit values, so only the first
// 32,768 positions of an input are ever referred to.
#pragma once

#include <cstddef>
#include <cstdint>

#include "codec_status.h"

namespace brevan::spatial {

// Largest coded form of an n-byte input: all literals plus control words.
size_t lzCompressBound(size_t n);

// Codes src[0..n) to dst, which must hold lzCompressBound(n) bytes. Returns
// the coded length.
size_t lzCompress(const uint8_t* src, size_t n, uint8_t* dst);

// Decodes src[0..n) into dst[0..capacity). Never writes past capacity (but may
// overwrite bytes between the decoded length and capacity): tooLarge when the
// stream holds more; badInput for a code cut short or a reference before the
// start of the output. `written` is the decoded length.
CodecStatus lzDecompress(const uint8_t* src, size_t n, uint8_t* dst, size_t capacity,
                         size_t& written);

}  // namespace brevan::spatial
