#include "bit_writer.h"

namespace videnc {

void BitWriter::copyBytes(uint8_t* out) const {
    const size_t count = byteLength();
    for (size_t i = 0; i < count; ++i) {
        out[i] = static_cast<uint8_t>(words_[i / 4] >> (8 * (i % 4)));
    }
}

std::vector<uint8_t> BitWriter::bytes() const {
    std::vector<uint8_t> out(byteLength());
    if (!out.empty()) copyBytes(out.data());
    return out;
}

}  // namespace videnc
