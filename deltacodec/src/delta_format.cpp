#include "delta_format.h"

#include "delta_error.h"

namespace brevan::delta {

uint32_t toField(int64_t value) {
  if (value < 0 || value > 0xFFFFFFFFll) throw DeltaError("value does not fit a delta field");
  return static_cast<uint32_t>(value);
}

void writeCopy(BufferedWriter& out, int64_t length, int64_t offset) {
  out.put(kCopyCode);
  out.putUint32(toField(length));
  out.putUint32(toField(offset));
}

void writeInsertHeader(BufferedWriter& out, int64_t length) {
  out.put(kInsertCode);
  out.putUint32(toField(length));
}

bool OperationReader::next(Operation& op) {
  for (;;) {
    int64_t at = position_;
    switch (delta_.scanByte(at)) {
      case kCopyCode:
        op = {Operation::Copy, at, delta_.scanUint32(at + 1), delta_.scanUint32(at + 5)};
        position_ = at + kCopySize;
        return true;
      case kInsertCode:
        op = {Operation::Insert, at, delta_.scanUint32(at + 1), at + kInsertHeaderSize};
        delta_.require(op.source, op.length);
        position_ = op.source + op.length;
        return true;
      case kEndCode:
        return false;
      default:
        position_ = at + 1;
        if (onBadCode_) onBadCode_(position_);
    }
  }
}

}  // namespace brevan::delta
