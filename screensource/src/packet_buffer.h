// The bytes of one packet: reused across cycles, first 20000 bytes, grown 40000 at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace brevan::screensource {

class PacketBuffer {
 public:
  PacketBuffer() { bytes_.reserve(kInitial); }

  void clear() { bytes_.clear(); }
  bool empty() const { return bytes_.empty(); }
  size_t size() const { return bytes_.size(); }
  const uint8_t* data() const { return bytes_.data(); }
  const std::vector<uint8_t>& bytes() const { return bytes_; }

  void put8(int value) {
    makeRoom(1);
    bytes_.push_back(static_cast<uint8_t>(value));
  }
  void put16(int value) {
    makeRoom(2);
    bytes_.push_back(static_cast<uint8_t>(value >> 8));
    bytes_.push_back(static_cast<uint8_t>(value));
  }
  void put(const uint8_t* data, size_t n) {
    makeRoom(n);
    bytes_.insert(bytes_.end(), data, data + n);
  }

 private:
  static constexpr size_t kInitial = 20000;
  static constexpr size_t kGrowth = 40000;

  void makeRoom(size_t n) {
    size_t needed = bytes_.size() + n;
    if (needed <= bytes_.capacity()) return;
    size_t capacity = bytes_.capacity();
    while (capacity < needed) capacity += kGrowth;
    bytes_.reserve(capacity);
  }

  std::vector<uint8_t> bytes_;
};

}  // namespace brevan::screensource
