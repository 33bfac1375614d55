// Screen data packets built by hand for the viewer's tests: records appended in order, pixels
// compressed as the source does (blue, green, red, 0; compress2 at level 3).
#pragma once

#include <zlib.h>

#include <cstdint>
#include <vector>

#include "packet_format.h"
#include "testsupport/bytes.h"

namespace brevan::screensource::test {

using testsupport::Bytes;

inline Bytes compressPixels(const std::vector<uint32_t>& pixels) {
  Bytes raw;
  for (uint32_t p : pixels)
    raw.insert(raw.end(), {uint8_t(p), uint8_t(p >> 8), uint8_t(p >> 16), 0});
  uLongf size = compressBound(uLong(raw.size()));
  Bytes out(size);
  compress2(out.data(), &size, raw.data(), uLong(raw.size()), 3);
  out.resize(size);
  return out;
}

class PacketBuilder {
 public:
  PacketBuilder& area(int width, int height) {
    return code(kAreaRecord).byte(0).word(width).word(height);
  }
  PacketBuilder& cursor(int x, int y, bool local = false) {
    return code(kCursorRecord).at(x, y, local);
  }
  PacketBuilder& shape(int w, int h, const std::vector<uint32_t>& pixels, int x, int y) {
    code(kNewShapeRecord).byte(w).byte(h).byte(1).byte(2);
    return counted(compressPixels(pixels)).at(x, y, false);
  }
  PacketBuilder& cachedShape(int index, int x, int y) {
    return code(kCachedShapeRecord).byte(index).at(x, y, false);
  }
  PacketBuilder& block(int x, int y, int w, int h) {
    return code(kTileBlockRecord).byte(x).byte(y).byte(w).byte(h);
  }
  PacketBuilder& unchanged() { return byte(kUnchangedTile); }
  PacketBuilder& slot(int slot) { return byte(kSlotTile).word(slot); }
  PacketBuilder& whole(const std::vector<uint32_t>& tile) {
    return byte(kWholeTile).counted(compressPixels(tile));
  }
  PacketBuilder& inner(const TileBorders& borders, const std::vector<uint32_t>& pixels) {
    const PackedBorders packed = packBorders(borders);
    byte(kInnerTile).byte(packed.bytes[0]).byte(packed.bytes[1]).byte(packed.bytes[2]);
    return counted(compressPixels(pixels));
  }
  PacketBuilder& raw(const Bytes& bytes) {
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    return *this;
  }
  PacketBuilder& byte(int value) {
    bytes_.push_back(uint8_t(value));
    return *this;
  }
  PacketBuilder& word(int value) { return byte(value >> 8).byte(value); }
  PacketBuilder& counted(const Bytes& bytes) { return word(int(bytes.size())).raw(bytes); }

  Bytes withoutEnd() const { return bytes_; }
  Bytes end() const {
    Bytes packet = bytes_;
    packet.push_back(kEndRecord);
    return packet;
  }

 private:
  PacketBuilder& code(RecordCode code) { return byte(code); }
  PacketBuilder& at(int x, int y, bool local) {
    return word(x | (local ? kLocalActivityFlag : 0)).word(y);
  }

  Bytes bytes_;
};

}  // namespace brevan::screensource::test
