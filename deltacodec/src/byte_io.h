// Where the delta operations take bytes from and put them to: files in the library, memory in
// tests and fuzz targets.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace brevan::delta {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Size fixed when the source was opened; the operations rely on it staying true.
  virtual int64_t size() const = 0;
  // Reads up to n bytes at offset (0 <= offset <= size); a count below n other than at the end
  // means the source failed.
  virtual size_t readAt(int64_t offset, uint8_t* dest, size_t n) = 0;
};

class ByteSink {
 public:
  virtual ~ByteSink() = default;
  // Appends all n bytes or returns false.
  virtual bool append(const uint8_t* bytes, size_t n) = 0;
};

class MemorySource final : public ByteSource {
 public:
  MemorySource(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  explicit MemorySource(const std::vector<uint8_t>& bytes)
      : MemorySource(bytes.data(), bytes.size()) {}
  int64_t size() const override { return static_cast<int64_t>(size_); }
  size_t readAt(int64_t offset, uint8_t* dest, size_t n) override;

 private:
  const uint8_t* data_;
  size_t size_;
};

class MemorySink final : public ByteSink {
 public:
  bool append(const uint8_t* bytes, size_t n) override;
  std::vector<uint8_t> bytes;
};

}  // namespace brevan::delta
