#include <ostream>

#include "viewer/packet_reader.h"
#include "viewer/packet_viewer.h"

namespace brevan::screensource {
namespace {

// Prints each record as the reader meets it; the tile records of a block share its line.
class DumpVisitor : public RecordVisitor {
 public:
  explicit DumpVisitor(std::ostream& out) : out_(out) {}

  bool area(int width, int height, std::string&) override {
    line() << "area " << width << ' ' << height;
    return true;
  }
  bool cursor(const CursorAt& at, std::string&) override {
    line() << "cursor" << position(at);
    return true;
  }
  bool newShape(const ShapeRecord& s, std::string&) override {
    line() << "shape " << s.width << 'x' << s.height << " hot " << s.hotspotX << ',' << s.hotspotY
           << " n=" << s.compressed.size << " at" << position(s.at);
    return true;
  }
  bool cachedShape(int index, const CursorAt& at, std::string&) override {
    line() << "cached-shape " << index << " at" << position(at);
    return true;
  }
  bool tileBlock(const TileBlock& b, std::string&) override {
    line() << "block " << b.x << ' ' << b.y << ' ' << b.width << ' ' << b.height << ':';
    return true;
  }
  bool tile(const TileRecord& tile, std::string&) override {
    out_ << ' ' << int(tile.code);
    if (tile.code == kSlotTile) out_ << ':' << tile.slot;
    if (tile.code == kInnerTile) {
      const TileBorders& b = tile.borders;
      out_ << ":L=" << b.left << ",R=" << b.right << ",B=" << b.bottom << ",T=" << b.top;
    }
    if (tile.code == kWholeTile || tile.code == kInnerTile) out_ << ":n=" << tile.compressed.size;
    return true;
  }

  void finishLine() {
    if (lineOpen_) out_ << '\n';
    lineOpen_ = false;
  }

 private:
  std::ostream& line() {
    finishLine();
    lineOpen_ = true;
    return out_;
  }
  static std::string position(const CursorAt& at) {
    return ' ' + std::to_string(at.x) + ' ' + std::to_string(at.y) +
           (at.localActivity ? " local" : "");
  }

  std::ostream& out_;
  bool lineOpen_ = false;
};

}  // namespace

bool dumpPacket(const uint8_t* data, size_t size, std::ostream& out, std::string& error) {
  DumpVisitor dump(out);
  const bool wellFormed = readPacket(data, size, dump, error);
  dump.finishLine();
  if (wellFormed) out << "end\n";
  return wellFormed;
}

}  // namespace brevan::screensource
