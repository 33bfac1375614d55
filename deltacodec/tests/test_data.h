// Helpers shared by the delta tests: byte vectors from hex, the operations over memory, seeded
// edits of data, files in a scratch folder.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "file_io.h"
#include "testsupport/bytes.h"

namespace brevan::delta::test {

using brevan::testsupport::ascii;
using brevan::testsupport::Bytes;
using brevan::testsupport::concat;
using brevan::testsupport::hex;
using brevan::testsupport::toHex;

// The operations over memory; each throws brevan::delta::DeltaError like the file versions.
Bytes build(const Bytes& target, const Bytes& base);
Bytes patch(const Bytes& base, const Bytes& delta);
Bytes join(const Bytes& first, const Bytes& second);
Bytes invert(const Bytes& base, const Bytes& delta);

Bytes randomBytes(std::mt19937& rng, size_t n);
// Text-like bytes (words from a small vocabulary), so that unrelated parts still share short runs.
Bytes randomText(std::mt19937& rng, size_t n);
// A new version of data: blocks inserted, deleted, replaced and moved, every `spacing` bytes on
// average.
Bytes edited(const Bytes& data, std::mt19937& rng, size_t spacing);

uint64_t fnv1a(const Bytes& bytes);

// A machine file of at least minSize bytes, read whole, or empty if none is found.
Bytes realFile(const std::vector<std::string>& candidates, size_t minSize = 0);

// A scratch folder for this test process; files are named by UTF-16 names.
class Scratch {
 public:
  Scratch();
  ~Scratch();
  brevan::delta::FileName path(const std::u16string& name) const;
  void write(const brevan::delta::FileName& name, const Bytes& bytes) const;
  // Whole file; `exists` tells whether it could be opened.
  Bytes read(const brevan::delta::FileName& name, bool* exists = nullptr) const;
  bool exists(const brevan::delta::FileName& name) const;
  const std::string& dir() const { return dir_; }

 private:
  std::string dir_;
};

}  // namespace brevan::delta::test
