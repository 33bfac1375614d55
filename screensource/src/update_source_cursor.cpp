// Cursor records: the position when it moved, and the shape when it changed, either as an entry
// of the 16-shape cache both ends keep or as the compressed pixels of a new shape.
#include <cstdlib>

#include "update_source.h"

namespace brevan::screensource {

namespace {

int colourDistance(uint32_t a, uint32_t b) {
  int sum = 0;
  for (int shift = 0; shift < 24; shift += 8)
    sum += std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF));
  return sum;
}

// The viewer treats the key colour as transparent. A shape drawn without it (a cursor that
// covers its whole square) gives the colour nearest to it that role instead: the pixel from the
// second one on closest to the key, and every pixel of that colour.
void ensureKeyColour(std::vector<uint32_t>& pixels) {
  const uint32_t kColour = 0x00FFFFFF;
  for (uint32_t p : pixels)
    if ((p & kColour) == kKeyColour) return;
  if (pixels.size() < 2) return;
  size_t nearest = 1;
  for (size_t i = 2; i < pixels.size(); ++i)
    if (colourDistance(pixels[i], kKeyColour) < colourDistance(pixels[nearest], kKeyColour))
      nearest = i;
  const uint32_t chosen = pixels[nearest] & kColour;
  for (uint32_t& p : pixels)
    if ((p & kColour) == chosen) p = kKeyColour;
}

}  // namespace

void UpdateSource::appendPosition(PacketBuffer& packet, CursorPosition position) {
  int flag = cursor_->localActivity() ? kLocalActivityFlag : 0;
  packet.put16((position.x + flag) & 0xFFFF);
  packet.put16(position.y & 0xFFFF);
}

void UpdateSource::readCursor(PacketBuffer& packet) {
  const size_t before = packet.size();
  cursorRecords(packet);
  cursorRest_.afterRead(packet.size() != before);
}

void UpdateSource::cursorRecords(PacketBuffer& packet) {
  CursorPosition position = cursor_->position();
  if (position != lastPosition_ && shapeSent_) {
    packet.put8(kCursorRecord);
    appendPosition(packet, position);
    lastPosition_ = position;
  }
  CursorHandle handle = cursor_->currentHandle();
  if (handle == lastShape_) return;
  if (!shapeSent_) handle = cursor_->arrowHandle();
  lastShape_ = handle;
  int index = cursorCache_.find(handle);
  if (index >= 0) {
    cursorCache_.moveForward(index);
    packet.put8(kCachedShapeRecord);
    packet.put8(index);
    finishShapeRecord(packet);
  } else {
    sendShape(packet, handle);
  }
}

void UpdateSource::finishShapeRecord(PacketBuffer& packet) {
  CursorPosition position = cursor_->position();
  appendPosition(packet, position);
  lastPosition_ = position;
  shapeSent_ = true;
}

// The handle enters the cache only once its shape could be read and sent: an entry the viewer
// never received would make later cache references name the wrong shapes.
void UpdateSource::sendShape(PacketBuffer& packet, CursorHandle handle) {
  CursorShape shape;
  // Sizes and hotspot travel in single bytes.
  if (!cursor_->readShape(handle, shape) || shape.width <= 0 || shape.height <= 0 ||
      shape.width > 255 || shape.height > 255 || shape.hotspotX < 0 || shape.hotspotY < 0 ||
      shape.hotspotX > 255 || shape.hotspotY > 255 ||
      shape.pixels.size() != size_t(shape.width) * shape.height)
    return;
  ensureKeyColour(shape.pixels);
  coder_.setBits(bitsRequested_.load());
  if (!coder_.compress(shape.pixels.data(), shape.width, shape.height, shape.width)) return;
  cursorCache_.insert(handle);
  packet.put8(kNewShapeRecord);
  packet.put8(shape.width);
  packet.put8(shape.height);
  packet.put8(shape.hotspotX);
  packet.put8(shape.hotspotY);
  coder_.appendCompressed(packet);
  finishShapeRecord(packet);
}

}  // namespace brevan::screensource
