#include "bit_writer.h"

namespace brevan::videnc {

void BitWriter::grow() {
  const size_t written = wordsWritten();
  words_.resize(words_.size() + kGrowWords, 0);
  next_ = words_.data() + written;
}

void BitWriter::copyStateFrom(const BitWriter& other) {
  next_ = words_.data() + other.wordsWritten();
  pending_ = other.pending_;
  pendingCount_ = other.pendingCount_;
}

void BitWriter::copyBytes(uint8_t* out) const {
  const size_t count = byteLength();
  const size_t full = wordsWritten();
  for (size_t i = 0; i < count; ++i) {
    const size_t word = i / 4;
    const uint64_t bits = word < full ? words_[word] : pending_;
    out[i] = static_cast<uint8_t>(bits >> (8 * (i % 4)));
  }
}

std::vector<uint8_t> BitWriter::bytes() const {
  std::vector<uint8_t> out(byteLength());
  if (!out.empty()) copyBytes(out.data());
  return out;
}

}  // namespace brevan::videnc
