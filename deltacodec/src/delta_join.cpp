// Joining X->Y and Y->Z: every copy of the second delta is cut along the operations of the first
// that produced the Y bytes it takes, so that the joined delta copies from X and inserts bytes
// found in either delta.
#include <algorithm>
#include <vector>

#include "delta_error.h"
#include "delta_operations.h"

namespace brevan::delta {
namespace {

// A stretch of Y as the first delta produced it.
struct Segment {
  Operation::Kind kind;
  int64_t start;  // in Y
  int64_t length;
  int64_t source;  // X offset of a copy; position of an insert's bytes in the first delta
};

std::vector<Segment> readSegments(BufferedReader& first) {
  std::vector<Segment> segments;
  OperationReader ops(first);
  Operation op;
  int64_t y = 0;
  while (ops.next(op)) {
    segments.push_back({op.kind, y, op.length, op.source});
    y += op.length;
  }
  return segments;
}

// Writes pieces in order; consecutive insert pieces form one insert operation, so they wait
// until the run ends and its total length is known.
class PieceWriter {
 public:
  PieceWriter(BufferedReader& first, BufferedReader& second, BufferedWriter& out)
      : first_(first), second_(second), out_(out) {}

  void copy(int64_t length, int64_t xOffset) {
    endInsertRun();
    writeCopy(out_, length, xOffset);
  }
  void insert(BufferedReader& from, int64_t position, int64_t length) {
    run_.push_back({&from, position, length});
  }
  void endInsertRun() {
    if (run_.empty()) return;
    int64_t total = 0;
    for (const Bytes& piece : run_) total += piece.length;
    writeInsertHeader(out_, total);
    for (const Bytes& piece : run_) piece.from->copyTo(piece.position, piece.length, out_);
    run_.clear();
  }
  BufferedReader& first() { return first_; }
  BufferedReader& second() { return second_; }

 private:
  struct Bytes {
    BufferedReader* from;
    int64_t position;
    int64_t length;
  };
  BufferedReader& first_;
  BufferedReader& second_;
  BufferedWriter& out_;
  std::vector<Bytes> run_;
};

// The pieces of Y[e, e + n) along the segments of the first delta.
void cutCopy(const std::vector<Segment>& segments, int64_t e, int64_t n, PieceWriter& pieces) {
  int64_t ySize = segments.empty() ? 0 : segments.back().start + segments.back().length;
  if (e + n > ySize) throw DeltaError("copy past the end of the intermediate file");
  if (n == 0) return;
  auto startsAfter = [](int64_t y, const Segment& s) { return y < s.start; };
  size_t i =
      std::upper_bound(segments.begin(), segments.end(), e, startsAfter) - segments.begin() - 1;
  int64_t end = e + n;
  for (; i < segments.size() && segments[i].start < end; ++i) {
    const Segment& s = segments[i];
    int64_t from = std::max(e, s.start);
    int64_t length = std::min(end, s.start + s.length) - from;
    int64_t source = s.source + (from - s.start);
    if (s.kind == Operation::Copy)
      pieces.copy(length, source);
    else
      pieces.insert(pieces.first(), source, length);
  }
}

}  // namespace

void joinDeltas(BufferedReader& first, BufferedReader& second, BufferedWriter& out) {
  std::vector<Segment> segments = readSegments(first);
  PieceWriter pieces(first, second, out);
  OperationReader ops(second);
  Operation op;
  while (ops.next(op)) {
    if (op.kind == Operation::Insert)
      pieces.insert(second, op.source, op.length);
    else
      cutCopy(segments, op.source, op.length, pieces);
  }
  pieces.endInsertRun();
  out.putUint32(kEndCode);
}

}  // namespace brevan::delta
