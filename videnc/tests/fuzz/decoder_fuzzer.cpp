// Arbitrary bytes as a packet stream: the first byte picks where the second
// packet starts and how many bits of the last byte count.
#include <cstddef>
#include <cstdint>

#include "decoder/packet_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const size_t available = size - 1;
  const size_t firstBytes = 1 + data[0] % available;
  brevan::videnc::PacketDecoder decoder;
  decoder.decode(data + 1, firstBytes * 8 - (data[0] >> 5));
  if (firstBytes < available) decoder.decode(data + 1 + firstBytes, (available - firstBytes) * 8);
  return 0;
}
