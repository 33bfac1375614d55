#include <cstdio>

#include "delta_operations.h"

namespace brevan::delta {

void printBadCode(int64_t positionAfter) {
  std::printf("ERROR: bad code in delta at %d\n", static_cast<int>(positionAfter));
  std::fflush(stdout);
}

void applyDelta(BufferedReader& base, BufferedReader& delta, BufferedWriter& out,
                OperationReader::BadCode onBadCode) {
  OperationReader ops(delta, onBadCode);
  Operation op;
  while (ops.next(op)) {
    BufferedReader& from = op.kind == Operation::Copy ? base : delta;
    from.copyTo(op.source, op.length, out);
  }
}

}  // namespace brevan::delta
