// Output area of one coding stage: it grows on demand but never past a fixed
// limit, so a hostile input cannot make a stage write more than it is allowed.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace brevan::spatial {

class ByteWriter {
 public:
  // `sizeHint` is allocated up front (clamped to `limit`); most stages know
  // their exact worst case, so they never grow.
  ByteWriter(std::vector<uint8_t>& storage, size_t limit, size_t sizeHint = 0)
      : storage_(storage), limit_(limit) {
    storage_.clear();
    reserveExactly(std::min(sizeHint, limit_));
  }

  bool put(uint8_t b) {
    if (pos_ == cap_ && !grow(1)) return false;
    data_[pos_++] = b;
    return true;
  }

  // Short runs are stored sixteen bytes at once where the area has room; the
  // bytes past the run are spare capacity, rewritten or trimmed later.
  bool putRepeated(uint8_t b, size_t count) {
    if (cap_ - pos_ < count && !grow(count)) return false;
    if (count <= kShortRun && cap_ - pos_ >= kShortRun)
      std::memset(data_ + pos_, b, kShortRun);
    else
      std::memset(data_ + pos_, b, count);
    pos_ += count;
    return true;
  }

  // Room for `count` bytes that the caller writes in place at once (the
  // storage holds zeros or old bytes there until then).
  bool extend(size_t count) {
    if (cap_ - pos_ < count && !grow(count)) return false;
    pos_ += count;
    return true;
  }

  bool putBytes(const uint8_t* p, size_t count) {
    if (cap_ - pos_ < count && !grow(count)) return false;
    if (count != 0) std::memcpy(data_ + pos_, p, count);
    pos_ += count;
    return true;
  }

  // As putBytes; `readable` bytes from p may be read (at least count), so a
  // short copy moves sixteen bytes at once where both sides have room.
  bool putBytes(const uint8_t* p, size_t count, size_t readable) {
    if (count > kShortRun || readable < kShortRun || cap_ - pos_ < kShortRun)
      return putBytes(p, count);
    std::memcpy(data_ + pos_, p, kShortRun);
    pos_ += count;
    return true;
  }

  bool putLe32(uint32_t v) {
    const uint8_t b[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
    return putBytes(b, 4);
  }

  // Drops the first `count` bytes written, which count against the limit as
  // before: the limit bounds all that the stage writes, kept or not.
  void discardFront(size_t count) {
    if (count == 0) return;
    std::memmove(data_, data_ + count, pos_ - count);
    pos_ -= count;
    limit_ -= count;
    cap_ = std::min(cap_, limit_);  // the room left may now be less than the storage
  }

  size_t size() const { return pos_; }
  uint8_t* data() { return data_; }

  // Trims the storage to what was written; call once when the stage is done.
  void finish() { storage_.resize(pos_); }

 private:
  static constexpr size_t kShortRun = 16;

  bool grow(size_t need) {
    if (limit_ - pos_ < need) return false;
    size_t doubled = cap_ < limit_ / 2 ? cap_ * 2 : limit_;
    reserveExactly(std::max({pos_ + need, doubled, std::min<size_t>(limit_, 4096)}));
    return true;
  }

  void reserveExactly(size_t capacity) {
    storage_.resize(capacity);
    data_ = storage_.data();
    cap_ = capacity;
  }

  std::vector<uint8_t>& storage_;
  size_t limit_;
  uint8_t* data_ = nullptr;
  size_t pos_ = 0;
  size_t cap_ = 0;
};

}  // namespace brevan::spatial
