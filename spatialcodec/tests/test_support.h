// Helpers shared by the codec tests: hex vectors, seeded data and real files.
#pragma once

#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace spatial::testing {

using Bytes = std::vector<uint8_t>;

inline Bytes hex(const std::string& text) {
  Bytes out;
  for (size_t i = 0; i + 1 < text.size();) {
    if (text[i] == ' ') {
      ++i;
      continue;
    }
    out.push_back(uint8_t(std::stoul(text.substr(i, 2), nullptr, 16)));
    i += 2;
  }
  return out;
}

inline Bytes concat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

inline Bytes bytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

inline Bytes randomBytes(size_t n, uint32_t seed, int alphabet = 256) {
  std::mt19937 rng(seed);
  Bytes out(n);
  for (auto& b : out) b = uint8_t(rng() % alphabet);
  return out;
}

// Up to maxBytes of a file of this machine; empty if it cannot be read.
inline Bytes readFile(const std::string& path, size_t maxBytes) {
  Bytes out;
  if (FILE* f = std::fopen(path.c_str(), "rb")) {
    out.resize(maxBytes);
    out.resize(std::fread(out.data(), 1, maxBytes, f));
    std::fclose(f);
  }
  return out;
}

}  // namespace spatial::testing
