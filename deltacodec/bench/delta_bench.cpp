// Builds and applies deltas between pairs of real files with this library and with the xdelta3
// program ("-e -9" and "-d", run as a subprocess on the same files in the same run), and prints
// one line per pair and step: delta sizes, best-of-three wall times and their ratio.
//   deltacodec_bench [scratch folder]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "file_operations.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<char>;
using brevan::delta::FileName;

constexpr int kRuns = 3;

FileName nameOf(const fs::path& p) {
  std::string s = p.string();
  return FileName(s.begin(), s.end());
}

Bytes readFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void writeFile(const fs::path& p, const Bytes& bytes) {
  std::ofstream(p, std::ios::binary)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

double bestMilliseconds(const std::function<bool()>& run) {
  double best = 1e300;
  for (int i = 0; i < kRuns; ++i) {
    auto start = std::chrono::steady_clock::now();
    if (!run()) return -1;
    std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    best = std::min(best, took.count());
  }
  return best;
}

bool xdelta3(const std::string& arguments) {
  return std::system(("/usr/bin/xdelta3 -f " + arguments + " 2>/dev/null").c_str()) == 0;
}

std::string quoted(const fs::path& p) { return "'" + p.string() + "'"; }

// A new version of a text: blocks inserted, deleted and moved elsewhere.
Bytes editedText(const Bytes& text, uint32_t seed) {
  std::mt19937 rng(seed);
  Bytes out, moved;
  size_t at = 0;
  while (at < text.size()) {
    size_t keep = std::min(text.size() - at, static_cast<size_t>(rng() % 40000 + 1000));
    out.insert(out.end(), text.begin() + at, text.begin() + at + keep);
    at += keep;
    size_t span = std::min(text.size() - at, static_cast<size_t>(rng() % 3000 + 100));
    switch (rng() % 3) {
      case 0:
        for (size_t i = 0; i < span; ++i) out.push_back(static_cast<char>('a' + rng() % 26));
        break;
      case 1:
        at += span;
        break;
      default:
        if (!moved.empty()) out.insert(out.end(), moved.begin(), moved.end());
        moved.assign(text.begin() + at, text.begin() + at + span);
        at += span;
    }
  }
  out.insert(out.end(), moved.begin(), moved.end());
  return out;
}

void comparePair(const std::string& label, const fs::path& base, const fs::path& target,
                 const fs::path& dir) {
  fs::path ours = dir / "ours.delta", theirs = dir / "xdelta3.delta";
  fs::path oursOut = dir / "ours.out", theirsOut = dir / "xdelta3.out";
  int size = 0;
  double buildOurs = bestMilliseconds([&] {
    size = brevan::delta::subtractAbsFromAbs(nameOf(target), nameOf(base), nameOf(ours));
    return size >= 0;
  });
  double buildTheirs = bestMilliseconds([&] {
    return xdelta3("-e -9 -s " + quoted(base) + " " + quoted(target) + " " + quoted(theirs));
  });
  double applyOurs = bestMilliseconds([&] {
    return brevan::delta::addDeltaToAbs(nameOf(base), nameOf(ours), nameOf(oursOut)) >= 0;
  });
  double applyTheirs = bestMilliseconds([&] {
    return xdelta3("-d -s " + quoted(base) + " " + quoted(theirs) + " " + quoted(theirsOut));
  });
  Bytes expected = readFile(target);
  bool oursRight = readFile(oursOut) == expected, theirsRight = readFile(theirsOut) == expected;
  auto theirSize = static_cast<unsigned long long>(fs::exists(theirs) ? fs::file_size(theirs) : 0);
  std::printf(
      "build %s (%llu bytes): DeltaCodec %d bytes %.1f ms, xdelta3 -9 %llu bytes %.1f ms, time "
      "ratio %.2f\n",
      label.c_str(), static_cast<unsigned long long>(expected.size()), size, buildOurs, theirSize,
      buildTheirs, buildOurs / buildTheirs);
  std::printf("apply %s: DeltaCodec %.1f ms%s, xdelta3 -d %.1f ms%s, time ratio %.2f\n",
              label.c_str(), applyOurs, oursRight ? "" : " (WRONG RESULT)", applyTheirs,
              theirsRight ? "" : " (WRONG RESULT)", applyOurs / applyTheirs);
}

}  // namespace

int main(int argc, char** argv) {
  fs::path dir = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path() / "deltacodec_bench";
  fs::create_directories(dir);
  const fs::path mingw = "/usr/lib/gcc/i686-w64-mingw32";
  struct Pair {
    const char* label;
    fs::path base, target;
  } pairs[] = {
      {"libgfortran-5.dll, win32 and posix builds", mingw / "12-win32/libgfortran-5.dll",
       mingw / "12-posix/libgfortran-5.dll"},
      {"lto-wrapper, win32 and posix builds", mingw / "12-win32/lto-wrapper",
       mingw / "12-posix/lto-wrapper"},
  };
  for (const Pair& p : pairs) {
    if (fs::exists(p.base) && fs::exists(p.target))
      comparePair(p.label, p.base, p.target, dir);
    else
      std::printf("skipped %s: files not installed\n", p.label);
  }
  const fs::path text = "/usr/share/doc/nodejs/api/all.html";
  if (fs::exists(text)) {
    writeFile(dir / "text.base", readFile(text));
    writeFile(dir / "text.target", editedText(readFile(text), 1));
    comparePair("all.html with inserted, deleted and moved blocks", dir / "text.base",
                dir / "text.target", dir);
  }
  fs::remove_all(dir);
  return 0;
}
