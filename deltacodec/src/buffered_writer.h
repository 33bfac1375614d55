// Output of an operation: bytes collect in a 10,000-byte buffer that is appended to the sink each
// time it fills. The count of bytes written is the operation's result, so it must stay an int.
#pragma once

#include <cstdint>
#include <memory>

#include "byte_io.h"

namespace brevan::delta {

class BufferedWriter {
 public:
  static constexpr size_t kBufferSize = 10000;

  explicit BufferedWriter(ByteSink& sink);

  void put(uint8_t byte) {
    if (used_ == kBufferSize) flush();
    buffer_[used_++] = byte;
    ++count_;
  }
  void putUint32(uint32_t value);
  void putBytes(const uint8_t* bytes, size_t n);
  // Appends what is left in the buffer; call once at the end of a successful operation.
  void finish() { flush(); }

  int64_t count() const { return count_; }

 private:
  void flush();

  ByteSink& sink_;
  std::unique_ptr<uint8_t[]> buffer_;
  size_t used_ = 0;
  int64_t count_ = 0;
};

}  // namespace brevan::delta
