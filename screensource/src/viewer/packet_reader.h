// Walks the records of one screen data packet and hands each to a visitor. The reader checks
// only the framing (known codes, lengths inside the packet, the end record last); what the
// records mean is the visitor's to judge.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "packet_format.h"

namespace brevan::screensource {

struct ByteSpan {
  const uint8_t* data = nullptr;
  size_t size = 0;
};

// A cursor position as sent: x with the local-activity flag taken out.
struct CursorAt {
  int x = 0;
  int y = 0;
  bool localActivity = false;
};

struct ShapeRecord {
  int width = 0;
  int height = 0;
  int hotspotX = 0;
  int hotspotY = 0;
  ByteSpan compressed;  // width x height pixels, top row first
  CursorAt at;
};

struct TileBlock {
  int x = 0, y = 0, width = 0, height = 0;  // in tiles
};

struct TileRecord {
  int x = 0, y = 0;  // the tile this record is for, in tiles
  TileCode code = kUnchangedTile;
  int slot = 0;         // kSlotTile
  TileBorders borders;  // kInnerTile
  ByteSpan compressed;  // kWholeTile, kInnerTile
};

// Each call returns false with a reason to refuse the packet; reading stops there.
class RecordVisitor {
 public:
  virtual ~RecordVisitor() = default;
  virtual bool area(int width, int height, std::string& error) = 0;
  virtual bool cursor(const CursorAt& at, std::string& error) = 0;
  virtual bool newShape(const ShapeRecord& shape, std::string& error) = 0;
  virtual bool cachedShape(int index, const CursorAt& at, std::string& error) = 0;
  virtual bool tileBlock(const TileBlock& block, std::string& error) = 0;
  virtual bool tile(const TileRecord& tile, std::string& error) = 0;
};

// True when the packet is well framed and the visitor accepted every record. The visitor sees
// the records of a packet that turns out malformed further on, up to the fault.
bool readPacket(const uint8_t* data, size_t size, RecordVisitor& visitor, std::string& error);

}  // namespace brevan::screensource
