#include "test_data.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "buffered_reader.h"
#include "buffered_writer.h"
#include "delta_operations.h"

#ifdef _WIN32
#include <process.h>
#define getpid _getpid
#else
#include <unistd.h>
#endif

namespace brevan::delta::test {

using namespace brevan::delta;

namespace {

using MemoryOperation = void (*)(BufferedReader&, BufferedReader&, BufferedWriter&);

Bytes run(MemoryOperation operation, const Bytes& first, const Bytes& second) {
  MemorySource a(first), b(second);
  MemorySink sink;
  BufferedReader ra(a), rb(b);
  BufferedWriter out(sink);
  operation(ra, rb, out);
  out.finish();
  EXPECT_EQ(out.count(), static_cast<int64_t>(sink.bytes.size()));
  return sink.bytes;
}

void applySilently(BufferedReader& base, BufferedReader& delta, BufferedWriter& out) {
  applyDelta(base, delta, out, nullptr);
}

}  // namespace

Bytes build(const Bytes& target, const Bytes& base) { return run(buildDelta, target, base); }
Bytes patch(const Bytes& base, const Bytes& delta) { return run(applySilently, base, delta); }
Bytes join(const Bytes& first, const Bytes& second) { return run(joinDeltas, first, second); }
Bytes invert(const Bytes& base, const Bytes& delta) { return run(invertDelta, base, delta); }

Bytes randomBytes(std::mt19937& rng, size_t n) {
  Bytes out(n);
  for (uint8_t& b : out) b = static_cast<uint8_t>(rng() >> 24);
  return out;
}

Bytes randomText(std::mt19937& rng, size_t n) {
  static const char* const kWords[] = {"delta",  "file", "the ",  "copy",  "insert", "\n", "base ",
                                       "target", ", ",   "queue", "hash ", "window", "a ", "of "};
  Bytes out;
  while (out.size() < n) {
    const char* w = kWords[rng() % std::size(kWords)];
    out.insert(out.end(), w, w + std::char_traits<char>::length(w));
  }
  out.resize(n);
  return out;
}

Bytes edited(const Bytes& data, std::mt19937& rng, size_t spacing) {
  Bytes out;
  size_t at = 0;
  Bytes moved;
  while (at < data.size()) {
    size_t keep = std::min(data.size() - at, static_cast<size_t>(rng() % (2 * spacing) + 1));
    out.insert(out.end(), data.begin() + at, data.begin() + at + keep);
    at += keep;
    size_t span = rng() % 200 + 1;
    switch (rng() % 4) {
      case 0:  // insert fresh bytes
        for (uint8_t b : randomBytes(rng, span)) out.push_back(b);
        break;
      case 1:  // delete
        at = std::min(data.size(), at + span);
        break;
      case 2:  // take a block out to put it back later
        moved.assign(data.begin() + at, data.begin() + std::min(data.size(), at + span * 4));
        at += moved.size();
        break;
      default:  // put back the last block taken, or repeat an earlier stretch
        if (!moved.empty()) out.insert(out.end(), moved.begin(), moved.end());
        moved.clear();
        break;
    }
  }
  return out;
}

uint64_t fnv1a(const Bytes& bytes) {
  uint64_t h = 14695981039346656037ull;
  for (uint8_t b : bytes) h = (h ^ b) * 1099511628211ull;
  return h;
}

Bytes realFile(const std::vector<std::string>& candidates, size_t minSize) {
  for (const std::string& name : candidates) {
    std::ifstream in(name, std::ios::binary);
    if (!in) continue;
    Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.size() >= minSize && !bytes.empty()) return bytes;
  }
  return {};
}

Scratch::Scratch() {
  static int made = 0;
  dir_ = std::string(BREVAN_BINARY_DIR) + "/deltacodec_scratch_" + std::to_string(getpid()) + "_" +
         std::to_string(++made);
  std::error_code ignored;
  std::filesystem::remove_all(dir_, ignored);
  std::filesystem::create_directories(dir_);
}

Scratch::~Scratch() {
  std::error_code ignored;
  std::filesystem::remove_all(dir_, ignored);
}

FileName Scratch::path(const std::u16string& name) const {
  return FileName(dir_.begin(), dir_.end()) + u"/" + name;
}

void Scratch::write(const FileName& name, const Bytes& bytes) const {
  auto file = createOutputFile(name);
  ASSERT_TRUE(file && file->append(bytes.data(), bytes.size()) && file->close());
}

Bytes Scratch::read(const FileName& name, bool* exists) const {
  auto file = openInputFile(name);
  if (exists) *exists = file != nullptr;
  if (!file) return {};
  Bytes bytes(static_cast<size_t>(file->size()));
  EXPECT_EQ(file->readAt(0, bytes.data(), bytes.size()), bytes.size());
  return bytes;
}

bool Scratch::exists(const FileName& name) const { return openInputFile(name) != nullptr; }

}  // namespace brevan::delta::test
