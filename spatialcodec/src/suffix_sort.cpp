#include "suffix_sort.h"

#include <algorithm>
#include <type_traits>

#include "bwt_lms_presort.h"

namespace brevan::spatial {
namespace {

// SA-IS over text[0..n), whose last symbol is a unique smallest sentinel 0 and
// whose other symbols lie in 1..alphabet-1. Writes the suffix array to sa.
// The top level runs on 16-bit symbols, the reduced problems on 32-bit names.
template <typename Symbol>
class InducedSorter {
 public:
  InducedSorter(const Symbol* text, int32_t* sa, int32_t n, int32_t alphabet)
      : text_(text), sa_(sa), n_(n), sType_(n), count_(alphabet), bucket_(alphabet) {}

  void run() {
    classify();
    countSymbols();
    const int32_t lmsCount = presortLms() ? collectedLms_ : sortLmsByInducing();
    placeSortedLms(lmsCount);
    induce();
  }

 private:
  bool isLms(int32_t i) const { return i > 0 && sType_[i] && !sType_[i - 1]; }

  // Without branches: on ordinary data the types change too often to foresee.
  void classify() {
    uint8_t type = 1;
    sType_[n_ - 1] = type;
    for (int32_t i = n_ - 2; i >= 0; --i) {
      type = uint8_t((text_[i] < text_[i + 1]) | ((text_[i] == text_[i + 1]) & type));
      sType_[i] = type;
    }
  }

  // The histogram is taken once; every pass derives its bucket bounds from it.
  void countSymbols() {
    for (int32_t i = 0; i < n_; ++i) ++count_[text_[i]];
  }

  void bucketBounds(bool ends) {
    int32_t sum = 0;
    for (size_t c = 0; c < count_.size(); ++c) {
      sum += count_[c];
      bucket_[c] = ends ? sum : sum - count_[c];
    }
  }

  // The top level first tries the direct sort; it needs the padded 16-bit text.
  bool presortLms() {
    if constexpr (std::is_same_v<Symbol, uint16_t>) {
      collectedLms_ = 0;
      for (int32_t i = 1; i < n_; ++i) {  // branch-free, as in classify
        sa_[collectedLms_] = i;
        collectedLms_ += sType_[i] & (sType_[i - 1] ^ 1);
      }
      return presortLmsSuffixes(text_, n_, int32_t(count_.size()), sa_, collectedLms_,
                                sa_ + collectedLms_);
    }
    return false;
  }

  // Leaves the LMS suffixes sorted in sa[0..lmsCount) and returns lmsCount.
  int32_t sortLmsByInducing() {
    placeLmsInBucketEnds();
    induce();
    const int32_t lmsCount = compactSortedLms();
    const int32_t names = nameLmsSubstrings(lmsCount);
    sortReducedProblem(lmsCount, names);
    ranksToPositions(lmsCount);
    return lmsCount;
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

  // Two LMS substrings (each running to the next LMS position, inclusive) are
  // equal exactly when their lengths and symbols are: equal symbols ending in
  // an S position give equal types.
  bool sameLmsSubstring(int32_t a, int32_t b, int32_t length) const {
    return std::equal(text_ + a, text_ + a + length, text_ + b);
  }

  // Keeps each LMS substring's length at lmsCount + start / 2 (starts are at
  // least two apart, so the slots are distinct).
  void recordLmsLengths(int32_t lmsCount) {
    std::fill(sa_ + lmsCount, sa_ + n_, 0);
    int32_t next = n_ - 1;  // the sentinel, an LMS substring of length 1
    sa_[lmsCount + next / 2] = 1;
    for (int32_t i = n_ - 2; i > 0; --i) {
      if (!isLms(i)) continue;
      sa_[lmsCount + i / 2] = next - i + 1;
      next = i;
    }
  }

  // Names the sorted LMS substrings; the names end up, in text order, in the
  // last lmsCount entries of sa.
  int32_t nameLmsSubstrings(int32_t lmsCount) {
    recordLmsLengths(lmsCount);
    int32_t names = 0;
    int32_t prev = -1;
    int32_t prevLength = 0;
    for (int32_t i = 0; i < lmsCount; ++i) {
      const int32_t pos = sa_[i];
      int32_t& slot = sa_[lmsCount + pos / 2];
      const int32_t length = slot;
      if (length != prevLength || !sameLmsSubstring(pos, prev, length)) ++names;
      prev = pos;
      prevLength = length;
      slot = names;  // names count from 1 so that 0 still marks an empty slot
    }
    for (int32_t i = n_ - 1, j = n_ - 1; i >= lmsCount; --i)
      if (sa_[i] > 0) sa_[j--] = sa_[i] - 1;
    return names;
  }

  void sortReducedProblem(int32_t lmsCount, int32_t names) {
    int32_t* reduced = sa_ + n_ - lmsCount;
    if (names < lmsCount) {
      InducedSorter<int32_t>(reduced, sa_, lmsCount, names).run();
    } else {
      for (int32_t i = 0; i < lmsCount; ++i) sa_[reduced[i]] = i;
    }
  }

  void ranksToPositions(int32_t lmsCount) {
    int32_t* positions = sa_ + n_ - lmsCount;
    for (int32_t i = 1, j = 0; i < n_; ++i)
      if (isLms(i)) positions[j++] = i;
    for (int32_t i = 0; i < lmsCount; ++i) sa_[i] = positions[sa_[i]];
  }

  void placeSortedLms(int32_t lmsCount) {
    std::fill(sa_ + lmsCount, sa_ + n_, -1);
    bucketBounds(true);
    for (int32_t i = lmsCount - 1; i >= 0; --i) {
      const int32_t j = sa_[i];
      sa_[i] = -1;
      sa_[--bucket_[text_[j]]] = j;
    }
  }

  const Symbol* text_;
  int32_t* sa_;
  int32_t n_;
  int32_t collectedLms_ = 0;
  std::vector<uint8_t> sType_;
  std::vector<int32_t> count_;
  std::vector<int32_t> bucket_;
};

}  // namespace

void sortBlockSuffixes(const uint8_t* block, int32_t n, std::vector<int32_t>& rows,
                       std::vector<uint16_t>& scratch) {
  if (n == 0) {  // the sentinel alone is no LMS suffix; nothing to sort
    rows.assign(1, 0);
    return;
  }
  // Complemented bytes 1..256, a 0 sentinel for the end of the block, and
  // a zero for the bucket pass of the direct sort.
  scratch.resize(static_cast<size_t>(n) + 1 + kPresortPadding);
  for (int32_t i = 0; i < n; ++i) scratch[i] = uint16_t(256 - block[i]);
  std::fill(scratch.begin() + n, scratch.end(), 0);
  rows.resize(static_cast<size_t>(n) + 1);
  InducedSorter<uint16_t>(scratch.data(), rows.data(), n + 1, 257).run();
  std::reverse(rows.begin(), rows.end());
}

}  // namespace brevan::spatial
