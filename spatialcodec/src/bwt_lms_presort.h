// Direct sorting of a block's LMS suffixes by their symbols: on ordinary data
// far cheaper than naming LMS substrings and sorting the reduced problem.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace brevan::spatial {

// Zero symbols the text must carry after its sentinel: the bucket pass reads
// the symbol after each suffix start.
constexpr int32_t kPresortPadding = 1;

namespace presort_detail {

constexpr int32_t kBytesPerWord = 8;
constexpr int32_t kRadixSymbols = 2;    // settled by the bucket passes
constexpr int32_t kDepthPerRound = 64;  // symbols one sort of a group looks at
constexpr int64_t kWordsPerSymbol = 8;  // budget, as word comparisons per symbol

// Eight bytes as a number that orders like the bytes themselves.
inline uint64_t orderedWordAt(const uint8_t* p) {
  uint64_t w;
  std::memcpy(&w, p, sizeof w);
#if !defined(__BYTE_ORDER__) || __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
  w = __builtin_bswap64(w);
#endif
  return w;
}

// Compares suffixes of the complemented block a word at a time. `bytes` holds
// the symbols less one (so they fit a byte) and kBytesPerWord spare bytes;
// where one suffix ends, the shorter sorts first, as the sentinel would.
class GroupSorter {
 public:
  GroupSorter(const uint8_t* bytes, int32_t length)
      : bytes_(bytes), length_(length), budget_(kWordsPerSymbol * length) {}

  // Sorts [first, last), whose suffixes agree on their first `depth` symbols,
  // a round of kDepthPerRound symbols at a time; runs still tied after a
  // round wait on a list rather than the stack, which repetitive data would
  // make deep.
  bool sort(int32_t* first, int32_t* last, int32_t depth) {
    sortByWord({first, last, depth});
    while (!pending_.empty()) {
      const Group group = pending_.back();
      pending_.pop_back();
      if (!sortRound(group) || budget_ < 0) return false;
    }
    return true;
  }

 private:
  struct Group {
    int32_t* first;
    int32_t* last;
    int32_t depth;
  };

  // The next word of each suffix, and how much of it the suffix covers.
  struct KeyedStart {
    uint64_t word;
    int32_t span;
    int32_t start;
  };

  // The first round sorts on the next eight symbols held by value, which
  // settles most of a group without chasing suffixes. Zeros past the end
  // order a suffix that ends inside the word before the longer ones beside it.
  void sortByWord(const Group& g) {
    keyed_.clear();
    for (const int32_t* p = g.first; p < g.last; ++p) {
      const int32_t left = length_ - *p - g.depth;
      keyed_.push_back({orderedWordAt(bytes_ + *p + g.depth), std::min(left, kBytesPerWord), *p});
    }
    std::sort(keyed_.begin(), keyed_.end(), [](const KeyedStart& x, const KeyedStart& y) {
      return x.word != y.word ? x.word < y.word : x.span < y.span;
    });
    budget_ -= int64_t(keyed_.size());
    for (size_t i = 0; i < keyed_.size(); ++i) g.first[i] = keyed_[i].start;
    for (size_t i = 0; i < keyed_.size();) {
      size_t end = i + 1;
      while (end < keyed_.size() && keyed_[end].word == keyed_[i].word &&
             keyed_[end].span == kBytesPerWord && keyed_[i].span == kBytesPerWord)
        ++end;
      if (end - i > 1) pending_.push_back({g.first + i, g.first + end, g.depth + kBytesPerWord});
      i = end;
    }
  }

  // A library sort cannot stop half way, so a round that could on its own
  // pass the budget is not begun.
  bool affordable(const Group& g) const {
    int64_t comparisons = 0;
    for (int64_t size = g.last - g.first; size > 1; size /= 2) comparisons += g.last - g.first;
    return comparisons * (kDepthPerRound / kBytesPerWord) <= budget_;
  }

  bool sortRound(const Group& g) {
    if (!affordable(g)) return false;
    const int32_t limit = g.depth + kDepthPerRound;
    bool tied = false;
    // Suffixes equal through `limit` fall back on their starts: still a
    // strict order, so the library sort stays within bounds.
    std::sort(g.first, g.last, [&](int32_t a, int32_t b) {
      const int32_t stop = std::min(limit, length_ - std::max(a, b));
      const int32_t d = firstDifference(a, b, g.depth, stop);
      if (d < stop) return bytes_[a + d] < bytes_[b + d];
      if (stop < limit) return a > b;
      tied = true;
      return a < b;
    });
    if (!tied || budget_ < 0) return budget_ >= 0;
    for (int32_t* run = g.first; run < g.last;) {
      int32_t* end = run + 1;
      while (end < g.last && tiedThrough(*run, *end, g.depth, limit)) ++end;
      if (end - run > 1) pending_.push_back({run, end, limit});
      run = end;
    }
    return true;
  }

  bool tiedThrough(int32_t a, int32_t b, int32_t from, int32_t limit) {
    const int32_t stop = std::min(limit, length_ - std::max(a, b));
    return stop == limit && firstDifference(a, b, from, stop) == stop;
  }

  // The first offset in [from, stop) where the suffixes differ, or stop.
  int32_t firstDifference(int32_t a, int32_t b, int32_t from, int32_t stop) {
    for (int32_t d = from; d < stop; d += kBytesPerWord) {
      --budget_;
      const uint64_t x = orderedWordAt(bytes_ + a + d) ^ orderedWordAt(bytes_ + b + d);
      if (x != 0) return std::min(stop, d + __builtin_clzll(x) / 8);
    }
    return stop;
  }

  const uint8_t* bytes_;
  int32_t length_;
  int64_t budget_;
  std::vector<Group> pending_;
  std::vector<KeyedStart> keyed_;
};

// Stable counting sort of from[0..count) by the symbol at `offset` into to.
inline void sortBySymbol(const uint16_t* text, const int32_t* from, int32_t* to, int32_t count,
                         int32_t offset, std::vector<int32_t>& bucket) {
  std::fill(bucket.begin(), bucket.end(), 0);
  for (int32_t i = 0; i < count; ++i) ++bucket[text[from[i] + offset]];
  int32_t sum = 0;
  for (int32_t& b : bucket) {
    const int32_t size = b;
    b = sum;
    sum += size;
  }
  for (int32_t i = 0; i < count; ++i) to[bucket[text[from[i] + offset]]++] = from[i];
}

inline bool sameRadixPrefix(const uint16_t* text, int32_t a, int32_t b) {
  return text[a] == text[b] && text[a + 1] == text[b + 1];
}

}  // namespace presort_detail

// Sorts the suffix starts lms[0..count) of text[0..n) (symbols below
// alphabet, sentinel 0 last, then kPresortPadding zeros) into suffix order;
// spare holds count entries. Returns false, with lms in some order, when the
// suffixes share prefixes so long that the work would pass a few
// comparisons' worth per symbol.
inline bool presortLmsSuffixes(const uint16_t* text, int32_t n, int32_t alphabet, int32_t* lms,
                               int32_t count, int32_t* spare) {
  using namespace presort_detail;
  std::vector<int32_t> bucket(static_cast<size_t>(alphabet));
  sortBySymbol(text, lms, spare, count, 1, bucket);
  sortBySymbol(text, spare, lms, count, 0, bucket);

  // Symbols less one fit a byte: the sentinel never takes part in a comparison.
  const int32_t length = n - 1;
  std::vector<uint8_t> bytes(size_t(length) + kBytesPerWord, 0);
  for (int32_t i = 0; i < length; ++i) bytes[i] = uint8_t(text[i] - 1);
  GroupSorter sorter(bytes.data(), length);
  for (int32_t first = 0; first < count;) {
    int32_t last = first + 1;
    while (last < count && sameRadixPrefix(text, lms[first], lms[last])) ++last;
    if (last - first > 1 && !sorter.sort(lms + first, lms + last, kRadixSymbols)) return false;
    first = last;
  }
  return true;
}

}  // namespace brevan::spatial
