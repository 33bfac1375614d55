// The delta file: a sequence of operations, each a one-byte code followed by 32-bit little-endian
// integers.
//   0x01 copy    length, offset   append length bytes of the base from offset     (9 bytes)
//   0x02 insert  length, bytes    append the length bytes that follow             (5 + length)
//   0x0A end                      the delta ends; joined deltas write it as the integer 10
#pragma once

#include <cstdint>

#include "buffered_reader.h"
#include "buffered_writer.h"

namespace brevan::delta {

constexpr uint8_t kCopyCode = 0x01;
constexpr uint8_t kInsertCode = 0x02;
constexpr uint8_t kEndCode = 0x0A;
constexpr int64_t kCopySize = 9;
constexpr int64_t kInsertHeaderSize = 5;

// Throws unless value fits the format's 32-bit fields.
uint32_t toField(int64_t value);

void writeCopy(BufferedWriter& out, int64_t length, int64_t offset);
void writeInsertHeader(BufferedWriter& out, int64_t length);

struct Operation {
  enum Kind { Copy, Insert } kind;
  int64_t position;  // of the code byte
  int64_t length;
  int64_t source;  // base offset of a copy; position of an insert's bytes in the delta
};

// Walks the operations of a delta up to its end code. An insert's bytes must lie inside the
// delta and the end code must be there: a delta that runs out throws.
class OperationReader {
 public:
  // Called with the position just after a byte that is no operation code.
  using BadCode = void (*)(int64_t positionAfter);

  explicit OperationReader(BufferedReader& delta, BadCode onBadCode = nullptr)
      : delta_(delta), onBadCode_(onBadCode) {}

  // The next copy or insert; false at the end code.
  bool next(Operation& op);

 private:
  BufferedReader& delta_;
  BadCode onBadCode_;
  int64_t position_ = 0;
};

}  // namespace brevan::delta
