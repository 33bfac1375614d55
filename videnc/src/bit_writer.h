// Packet bit writer: bits fill 32-bit words from the least significant end,
// so bit k of the packet is bit (k mod 8) of byte k / 8 once the words are
// laid out little-endian.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace videnc {

class BitWriter {
public:
    static constexpr size_t kGrowWords = 8192;

    BitWriter() : words_(kGrowWords, 0) {}

    void clear() {
        index_ = 0;
        pos_ = 0;
        words_[0] = 0;
    }

    // Appends the low `count` bits of `value` (count <= 32, value < 2^count),
    // lowest bit first.
    void put(uint32_t value, unsigned count) {
        if (index_ + 1 >= words_.size()) words_.resize(words_.size() + kGrowWords, 0);
        words_[index_] |= value << pos_;
        const unsigned end = pos_ + count;
        if (end >= 32) {
            ++index_;
            words_[index_] = pos_ != 0 ? value >> (32 - pos_) : 0;
        }
        pos_ = end & 31;
    }

    void putBit(bool bit) { put(bit ? 1u : 0u, 1); }

    size_t bitLength() const { return index_ * 32 + pos_; }
    size_t byteLength() const { return (bitLength() + 7) / 8; }

    // Writes byteLength() bytes; the unused bits of the last byte are 0.
    void copyBytes(uint8_t* out) const;
    std::vector<uint8_t> bytes() const;

private:
    std::vector<uint32_t> words_;
    size_t index_ = 0;
    unsigned pos_ = 0;
};

}  // namespace videnc
