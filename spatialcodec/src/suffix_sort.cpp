#include "suffix_sort.h"

#include <algorithm>

namespace spatial {
namespace {

// SA-IS over text[0..n), whose last symbol is a unique smallest sentinel 0 and
// whose other symbols lie in 1..alphabet-1. Writes the suffix array to sa.
class InducedSorter {
 public:
  InducedSorter(const int32_t* text, int32_t* sa, int32_t n, int32_t alphabet)
      : text_(text), sa_(sa), n_(n), alphabet_(alphabet), sType_(n), bucket_(alphabet) {}

  void run() {
    classify();
    placeLmsInBucketEnds();
    induce();
    const int32_t lmsCount = compactSortedLms();
    const int32_t names = nameLmsSubstrings(lmsCount);
    sortReducedProblem(lmsCount, names);
    placeSortedLms(lmsCount);
    induce();
  }

 private:
  bool isLms(int32_t i) const { return i > 0 && sType_[i] && !sType_[i - 1]; }

  void classify() {
    sType_[n_ - 1] = 1;
    for (int32_t i = n_ - 2; i >= 0; --i)
      sType_[i] = text_[i] < text_[i + 1] || (text_[i] == text_[i + 1] && sType_[i + 1]);
  }

  void bucketBounds(bool ends) {
    std::fill(bucket_.begin(), bucket_.end(), 0);
    for (int32_t i = 0; i < n_; ++i) ++bucket_[text_[i]];
    int32_t sum = 0;
    for (int32_t c = 0; c < alphabet_; ++c) {
      sum += bucket_[c];
      bucket_[c] = ends ? sum : sum - bucket_[c];
    }
  }

  void placeLmsInBucketEnds() {
    std::fill(sa_, sa_ + n_, -1);
    bucketBounds(true);
    for (int32_t i = 1; i < n_; ++i)
      if (isLms(i)) sa_[--bucket_[text_[i]]] = i;
  }

  void induce() {
    bucketBounds(false);
    for (int32_t i = 0; i < n_; ++i) {
      const int32_t j = sa_[i] - 1;
      if (j >= 0 && !sType_[j]) sa_[bucket_[text_[j]]++] = j;
    }
    bucketBounds(true);
    for (int32_t i = n_ - 1; i >= 0; --i) {
      const int32_t j = sa_[i] - 1;
      if (j >= 0 && sType_[j]) sa_[--bucket_[text_[j]]] = j;
    }
  }

  int32_t compactSortedLms() {
    int32_t count = 0;
    for (int32_t i = 0; i < n_; ++i)
      if (isLms(sa_[i])) sa_[count++] = sa_[i];
    return count;
  }

  bool sameLmsSubstring(int32_t a, int32_t b) const {
    for (int32_t d = 0;; ++d) {
      if (text_[a + d] != text_[b + d] || sType_[a + d] != sType_[b + d]) return false;
      if (d > 0 && (isLms(a + d) || isLms(b + d))) return isLms(a + d) && isLms(b + d);
    }
  }

  // Names the sorted LMS substrings; the names end up, in text order, in the
  // last lmsCount entries of sa.
  int32_t nameLmsSubstrings(int32_t lmsCount) {
    std::fill(sa_ + lmsCount, sa_ + n_, -1);
    int32_t names = 0;
    int32_t prev = -1;
    for (int32_t i = 0; i < lmsCount; ++i) {
      const int32_t pos = sa_[i];
      if (prev < 0 || !sameLmsSubstring(pos, prev)) {
        ++names;
        prev = pos;
      }
      sa_[lmsCount + pos / 2] = names - 1;
    }
    for (int32_t i = n_ - 1, j = n_ - 1; i >= lmsCount; --i)
      if (sa_[i] >= 0) sa_[j--] = sa_[i];
    return names;
  }

  void sortReducedProblem(int32_t lmsCount, int32_t names) {
    int32_t* reduced = sa_ + n_ - lmsCount;
    if (names < lmsCount) {
      InducedSorter(reduced, sa_, lmsCount, names).run();
    } else {
      for (int32_t i = 0; i < lmsCount; ++i) sa_[reduced[i]] = i;
    }
  }

  void placeSortedLms(int32_t lmsCount) {
    int32_t* positions = sa_ + n_ - lmsCount;
    for (int32_t i = 1, j = 0; i < n_; ++i)
      if (isLms(i)) positions[j++] = i;
    for (int32_t i = 0; i < lmsCount; ++i) sa_[i] = positions[sa_[i]];
    std::fill(sa_ + lmsCount, sa_ + n_, -1);
    bucketBounds(true);
    for (int32_t i = lmsCount - 1; i >= 0; --i) {
      const int32_t j = sa_[i];
      sa_[i] = -1;
      sa_[--bucket_[text_[j]]] = j;
    }
  }

  const int32_t* text_;
  int32_t* sa_;
  int32_t n_;
  int32_t alphabet_;
  std::vector<uint8_t> sType_;
  std::vector<int32_t> bucket_;
};

}  // namespace

void sortBlockSuffixes(const uint8_t* block, int32_t n, std::vector<int32_t>& rows,
                       std::vector<int32_t>& scratch) {
  if (n == 0) {  // the sentinel alone is no LMS suffix; nothing to sort
    rows.assign(1, 0);
    return;
  }
  // Complemented bytes 1..256 and a 0 sentinel for the end of the block.
  scratch.resize(static_cast<size_t>(n) + 1);
  for (int32_t i = 0; i < n; ++i) scratch[i] = 256 - block[i];
  scratch[n] = 0;
  rows.resize(static_cast<size_t>(n) + 1);
  InducedSorter(scratch.data(), rows.data(), n + 1, 257).run();
  std::reverse(rows.begin(), rows.end());
}

}  // namespace spatial
