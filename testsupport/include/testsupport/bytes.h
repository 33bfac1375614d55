// Byte vectors for test vectors: from hex text, back to hex, from ASCII, joined.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace brevan::testsupport {

using Bytes = std::vector<uint8_t>;

// "02 03000000 616263 0A": two digits a byte, spaces anywhere between bytes.
Bytes hex(const std::string& text);
// Upper-case digits, no spaces.
std::string toHex(const Bytes& bytes);
Bytes ascii(const std::string& text);
Bytes concat(std::initializer_list<Bytes> parts);

}  // namespace brevan::testsupport
