#include "viewer/packet_reader.h"

namespace brevan::screensource {
namespace {

class ByteCursor {
 public:
  ByteCursor(const uint8_t* data, size_t size) : next_(data), end_(data + size) {}

  bool atEnd() const { return next_ == end_; }
  bool byte(int& value) {
    if (next_ == end_) return false;
    value = *next_++;
    return true;
  }
  bool word(int& value) {
    if (end_ - next_ < 2) return false;
    value = next_[0] << 8 | next_[1];
    next_ += 2;
    return true;
  }
  bool bytes(size_t count, const uint8_t*& start) {
    if (size_t(end_ - next_) < count) return false;
    start = next_;
    next_ += count;
    return true;
  }
  // A 16-bit length and that many bytes.
  bool counted(ByteSpan& span) {
    int count = 0;
    if (!word(count) || !bytes(size_t(count), span.data)) return false;
    span.size = size_t(count);
    return true;
  }

 private:
  const uint8_t* next_;
  const uint8_t* end_;
};

class Reader {
 public:
  Reader(const uint8_t* data, size_t size, RecordVisitor& visitor, std::string& error)
      : in_(data, size), visitor_(visitor), error_(error) {}

  bool run() {
    for (;;) {
      int code = 0;
      if (!in_.byte(code)) return fail("no end record");
      if (code == kEndRecord) return in_.atEnd() || fail("bytes after the end record");
      if (!record(code)) return false;
    }
  }

 private:
  bool record(int code) {
    switch (code) {
      case kAreaRecord:
        return area();
      case kCursorRecord:
        return cursor();
      case kNewShapeRecord:
        return newShape();
      case kCachedShapeRecord:
        return cachedShape();
      case kTileBlockRecord:
        return tileBlock();
      default:
        return fail("unknown record code " + std::to_string(code));
    }
  }

  bool area() {
    int pad = 0, width = 0, height = 0;
    if (!in_.byte(pad) || !in_.word(width) || !in_.word(height)) return cutShort("an area record");
    if (pad != 0) return fail("area record with a nonzero second byte");
    return visitor_.area(width, height, error_);
  }

  bool position(CursorAt& at) {
    int x = 0;
    if (!in_.word(x) || !in_.word(at.y)) return false;
    at.localActivity = (x & kLocalActivityFlag) != 0;
    at.x = x & ~kLocalActivityFlag;
    return true;
  }

  bool cursor() {
    CursorAt at;
    if (!position(at)) return cutShort("a cursor record");
    return visitor_.cursor(at, error_);
  }

  bool newShape() {
    ShapeRecord shape;
    if (!in_.byte(shape.width) || !in_.byte(shape.height) || !in_.byte(shape.hotspotX) ||
        !in_.byte(shape.hotspotY) || !in_.counted(shape.compressed) || !position(shape.at))
      return cutShort("a cursor shape record");
    return visitor_.newShape(shape, error_);
  }

  bool cachedShape() {
    int index = 0;
    CursorAt at;
    if (!in_.byte(index) || !position(at)) return cutShort("a cached cursor shape record");
    return visitor_.cachedShape(index, at, error_);
  }

  bool tileBlock() {
    TileBlock block;
    if (!in_.byte(block.x) || !in_.byte(block.y) || !in_.byte(block.width) ||
        !in_.byte(block.height))
      return cutShort("a tile block header");
    if (!visitor_.tileBlock(block, error_)) return false;
    for (int row = 0; row < block.height; ++row)
      for (int column = 0; column < block.width; ++column)
        if (!tile(block.x + column, block.y + row)) return false;
    return true;
  }

  bool tile(int x, int y) {
    TileRecord tile;
    tile.x = x;
    tile.y = y;
    int code = 0;
    if (!in_.byte(code)) return cutShort("a tile block");
    tile.code = static_cast<TileCode>(code);
    if (!tileBody(tile)) return false;
    return visitor_.tile(tile, error_);
  }

  bool tileBody(TileRecord& tile) {
    const uint8_t* packed = nullptr;
    switch (tile.code) {
      case kUnchangedTile:
        return true;
      case kSlotTile:
        return in_.word(tile.slot) || cutShort("a tile record");
      case kWholeTile:
        return in_.counted(tile.compressed) || cutShort("a tile record");
      case kInnerTile:
        if (!in_.bytes(3, packed) || !in_.counted(tile.compressed))
          return cutShort("a tile record");
        tile.borders = unpackBorders(packed);
        return true;
      default:
        return fail("unknown tile code " + std::to_string(int(tile.code)));
    }
  }

  bool cutShort(const char* what) { return fail(std::string("packet ends inside ") + what); }
  bool fail(const std::string& reason) {
    error_ = reason;
    return false;
  }

  ByteCursor in_;
  RecordVisitor& visitor_;
  std::string& error_;
};

}  // namespace

bool readPacket(const uint8_t* data, size_t size, RecordVisitor& visitor, std::string& error) {
  return Reader(data, size, visitor, error).run();
}

}  // namespace brevan::screensource
