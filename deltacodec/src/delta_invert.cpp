// Inverting X->Y: the copies of the delta, in order of their X offsets, say where in Y each part
// of X can be found again; the parts of X that no copy covers are inserted.
#include <vector>

#include "delta_error.h"
#include "delta_operations.h"
#include "selection_order.h"

namespace brevan::delta {
namespace {

struct CopyRecord {
  int64_t xOffset;
  int64_t length;
  int64_t yStart;
  int64_t xEnd() const { return xOffset + length; }
};

std::vector<CopyRecord> readCopies(BufferedReader& base, BufferedReader& delta) {
  std::vector<CopyRecord> copies;
  OperationReader ops(delta);
  Operation op;
  int64_t y = 0;
  while (ops.next(op)) {
    if (op.kind == Operation::Copy) {
      base.require(op.source, op.length);
      copies.push_back({op.source, op.length, y});
    }
    y += op.length;
  }
  return copies;
}

std::vector<CopyRecord> inSelectionOrder(const std::vector<CopyRecord>& copies) {
  std::vector<int64_t> keys;
  keys.reserve(copies.size());
  for (const CopyRecord& r : copies) keys.push_back(r.xOffset);
  std::vector<CopyRecord> sorted;
  sorted.reserve(copies.size());
  for (size_t i : selectionSortOrder(keys)) sorted.push_back(copies[i]);
  return sorted;
}

void writeInsertOfBase(BufferedReader& base, int64_t from, int64_t to, BufferedWriter& out) {
  writeInsertHeader(out, to - from);
  base.copyTo(from, to - from, out);
}

}  // namespace

void invertDelta(BufferedReader& base, BufferedReader& delta, BufferedWriter& out) {
  int64_t d = 0;
  for (const CopyRecord& r : inSelectionOrder(readCopies(base, delta))) {
    if (r.xEnd() <= d) continue;
    if (d < r.xOffset) {
      writeInsertOfBase(base, d, r.xOffset, out);
      d = r.xOffset;
    }
    writeCopy(out, r.xEnd() - d, r.yStart + (d - r.xOffset));
    d = r.xEnd();
  }
  writeInsertOfBase(base, d, base.size(), out);
  out.put(kEndCode);
}

}  // namespace brevan::delta
