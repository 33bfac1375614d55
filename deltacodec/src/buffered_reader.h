// Byte access to one file through two 10,000-byte windows. Two entries consult and reload the
// windows in opposite order, so that the scanning cursor and match extension do not evict each
// other. Every position is checked against the size: a delta that refers outside its files is an
// error, never a read of stale window contents.
#pragma once

#include <cstdint>
#include <memory>

#include "byte_io.h"

namespace brevan::delta {

class BufferedWriter;

class BufferedReader {
 public:
  static constexpr int64_t kWindowSize = 10000;
  // A window reloaded for match extension starts this far before the asked position, so that
  // extension backward and forward both find their bytes in it.
  static constexpr int64_t kPointLead = 5000;

  explicit BufferedReader(ByteSource& source);

  int64_t size() const { return size_; }

  // The scanning entry: window 0 first; a miss reloads window 0 starting at x.
  uint8_t scanByte(int64_t x) {
    const Window& w = windows_[0];
    if (static_cast<uint64_t>(x - w.start) < static_cast<uint64_t>(w.valid))
      return w.bytes[x - w.start];
    return missedByte(x, 0, x);
  }

  // The match-extension entry: window 1 first; a miss reloads window 1 about x.
  uint8_t probeByte(int64_t x) {
    const Window& w = windows_[1];
    if (static_cast<uint64_t>(x - w.start) < static_cast<uint64_t>(w.valid))
      return w.bytes[x - w.start];
    return missedByte(x, 1, x - kPointLead);
  }

  // Little-endian 32-bit value at x, through the scanning entry.
  uint32_t scanUint32(int64_t x);

  // Throws unless [offset, offset + length) lies inside the file.
  void require(int64_t offset, int64_t length) const;

  // Appends bytes [offset, offset + length) of the file to out (checked like require).
  void copyTo(int64_t offset, int64_t length, BufferedWriter& out);

 private:
  struct Window {
    int64_t start = 0;
    int64_t valid = 0;  // bytes of the file held, fewer than the window size only at the end
    std::unique_ptr<uint8_t[]> bytes;
  };

  uint8_t missedByte(int64_t x, int first, int64_t reloadStart);
  void load(Window& w, int64_t start);

  ByteSource& source_;
  int64_t size_;
  Window windows_[2];
};

}  // namespace brevan::delta
