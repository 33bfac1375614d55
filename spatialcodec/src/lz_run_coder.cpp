#include "lz_run_coder.h"

#include <algorithm>
#include <cstring>

#include "byte_runs.h"

namespace brevan::spatial {
namespace {

constexpr int kItemsPerGroup = 16;
constexpr size_t kMinMatch = 3;
constexpr size_t kMaxMatch = 18;         // 4-bit length field + 3
constexpr int32_t kMaxDistance = 0xDFF;  // 0xE00 and above mark the run codes
constexpr size_t kMinRun = 16;           // shorter runs go to the matcher
constexpr size_t kShortRunLimit = 32;
constexpr size_t kMaxRun = 4111;  // 12-bit count + 16
constexpr int kBuckets = 4096;
constexpr int16_t kEmptySlot = -1;
constexpr uint32_t kHashMultiplier = 40543;
// Positions are kept in 16 bits, so from here on every stored candidate lies
// more than kMaxDistance back: only runs and literals remain.
constexpr size_t kMatchesEnd = 32768 + kMaxDistance;

// The three slots of a bucket sit together: one cache line per lookup.
struct Candidates {
  int16_t slot[kBuckets][3];
  Candidates() { std::memset(slot, 0xFF, sizeof slot); }
};

// Bytes past the end hash as 0; no match can reach them anyway.
inline uint32_t bucketAt(const uint8_t* src, size_t p, size_t n) {
  if (p + 2 < n) {
    const uint32_t v = (((uint32_t(src[p]) << 4) ^ src[p + 1]) << 4) ^ src[p + 2];
    return ((v * kHashMultiplier) >> 4) & 0xFFF;
  }
  const uint32_t a = src[p];
  const uint32_t b = p + 1 < n ? src[p + 1] : 0;
  const uint32_t c = p + 2 < n ? src[p + 2] : 0;
  const uint32_t v = (((a << 4) ^ b) << 4) ^ c;
  return ((v * kHashMultiplier) >> 4) & 0xFFF;
}

inline size_t runAt(const uint8_t* src, size_t p, size_t n) {
  if (p + 1 >= n || src[p + 1] != src[p]) return 1;
  return 1 + copiesAt(src, p + 1, n, src[p], kMaxRun - 1);
}

// Compares eight bytes at a time; the first differing byte ends the match.
inline size_t matchLength(const uint8_t* src, size_t q, size_t p, size_t n) {
  const size_t limit = std::min(n - p, kMaxMatch);
  size_t len = 0;
  while (len + 8 <= limit) {
    const uint64_t diff = load64(src + q + len) ^ load64(src + p + len);
    if (diff != 0) {
      if constexpr (kLittleEndianBytes) return len + size_t(__builtin_ctzll(diff) / 8);
      break;
    }
    len += 8;
  }
  while (len < limit && src[q + len] == src[p + len]) ++len;
  return len;
}

class GroupWriter {
 public:
  explicit GroupWriter(uint8_t* dst) : start_(dst), out_(dst + 2), control_(dst) {}

  void beginItem() {
    if (items_ < kItemsPerGroup) return;
    closeGroup();
    control_ = out_;
    out_ += 2;
    bits_ = 0;
    items_ = 0;
  }
  bool atGroupStart() const { return items_ == 0; }
  // A whole group of literals: its control word stays zero.
  void literalGroup(const uint8_t* from) {
    std::memcpy(out_, from, kItemsPerGroup);
    out_ += kItemsPerGroup;
    bits_ = 0;
    items_ = kItemsPerGroup;
  }
  void literal(uint8_t b) {
    *out_++ = b;
    mark(0);
  }
  void reference(uint32_t distance, size_t length) {
    out_[0] = uint8_t(distance >> 4);
    out_[1] = uint8_t(((distance & 0xF) << 4) | (length - kMinMatch));
    out_ += 2;
    mark(1);
  }
  void run(uint8_t b, size_t length) {
    const size_t extra = length - kMinRun;
    if (length < kShortRunLimit) {
      *out_++ = uint8_t(0xF0 + extra);
    } else {
      *out_++ = uint8_t(0xE0 + (extra >> 8));
      *out_++ = uint8_t(extra & 0xFF);
    }
    *out_++ = b;
    mark(1);
  }
  size_t finish() {
    bits_ <<= kItemsPerGroup - items_;
    closeGroup();
    return size_t(out_ - start_);
  }

 private:
  void mark(uint32_t bit) {
    bits_ = (bits_ << 1) | bit;
    ++items_;
  }
  void closeGroup() {
    control_[0] = uint8_t(bits_ >> 8);
    control_[1] = uint8_t(bits_);
  }

  uint8_t* start_;
  uint8_t* out_;
  uint8_t* control_;
  uint32_t bits_ = 0;
  int items_ = 0;
};

// Codes the item at p through the candidate table; returns the bytes it covers.
size_t codeFromTable(Candidates& table, const uint8_t* src, size_t p, size_t n, GroupWriter& out) {
  const uint32_t h = bucketAt(src, p, n);
  int best = -1;
  size_t bestLength = kMinMatch - 1;
  int16_t q[3];
  for (int k = 0; k < 3; ++k) {
    q[k] = table.slot[h][k];
    if (q[k] == kEmptySlot || int64_t(p) - q[k] > kMaxDistance) continue;
    const size_t length = matchLength(src, size_t(q[k]), p, n);
    if (length > bestLength) {
      bestLength = length;
      best = k;
    }
  }
  // Slot 0 always takes the new position; the others keep the candidates
  // that were not used, most recent first.
  const int16_t here = static_cast<int16_t>(static_cast<uint16_t>(p));
  table.slot[h][0] = here;
  if (best == 2) {
    table.slot[h][1] = q[2];
    table.slot[h][2] = q[0];
  } else if (best == 1) {
    table.slot[h][2] = q[0];
  } else {
    table.slot[h][1] = q[0];
    table.slot[h][2] = q[1];
  }
  if (best < 0) {
    out.literal(src[p]);
    return 1;
  }
  out.reference(uint32_t(int64_t(p) - q[best]), bestLength);
  return bestLength;
}

// Whether no run of kMinRun starts in the kItemsPerGroup positions from p: any
// such run would hold p+15 together with p+14 or p+16. Needs p+16 < n.
inline bool noRunStartsInGroup(const uint8_t* p) {
  static_assert(kMinRun == kItemsPerGroup, "the test relies on runs as long as a group");
  return p[15] != p[14] && p[15] != p[16];
}

inline void copy8(uint8_t* to, const uint8_t* from) { std::memcpy(to, from, 8); }
inline void copy16(uint8_t* to, const uint8_t* from) { std::memcpy(to, from, 16); }

// Decodes group by group. Every read stays inside the source and every write
// inside [dst, dst + capacity); bytes past the decoded length may be scribbled on.
class GroupReader {
 public:
  GroupReader(const uint8_t* src, size_t n, uint8_t* dst, size_t capacity)
      : src_(src), n_(n), dst_(dst), capacity_(capacity) {}

  CodecStatus run() {
    while (at_ < n_) {
      if (n_ - at_ < 2) return CodecStatus::badInput;
      const uint32_t control = uint32_t(src_[at_]) << 8 | src_[at_ + 1];
      at_ += 2;
      const CodecStatus s =
          n_ - at_ >= kLongestItems ? group<true>(control) : group<false>(control);
      if (s != CodecStatus::ok) return s;
    }
    return CodecStatus::ok;
  }
  size_t decoded() const { return out_; }

 private:
  // The items of a group take at most this many bytes (sixteen long runs).
  static constexpr size_t kLongestItems = kItemsPerGroup * 3;

  // Items left over when the source ends are ignored. With kWhole the
  // group's longest form lies inside the source, so no item looks for its end.
  template <bool kWhole>
  CodecStatus group(uint32_t control) {
    if (kWhole && control == 0 && capacity_ - out_ >= kItemsPerGroup) {  // sixteen literals
      copy16(dst_ + out_, src_ + at_);
      at_ += kItemsPerGroup;
      out_ += kItemsPerGroup;
      return CodecStatus::ok;
    }
    int items = kItemsPerGroup;
    while (items > 0 && (kWhole || at_ < n_)) {
      if ((control & 0x8000) == 0) {
        const int count = literalsAhead(control, items);
        if (!literals<kWhole>(count)) return CodecStatus::tooLarge;
        control = (control << count) & 0xFFFF;
        items -= count;
        continue;
      }
      const CodecStatus s = code<kWhole>();
      if (s != CodecStatus::ok) return s;
      control = (control << 1) & 0xFFFF;
      --items;
    }
    return CodecStatus::ok;
  }

  // Leading literal bits of the `items` left in the control word.
  static int literalsAhead(uint32_t control, int items) {
    const int zeros = __builtin_clz((control << 16) | 1);
    return zeros < items ? zeros : items;
  }

  // Up to `count` literals, stopping where the source ends.
  template <bool kWhole>
  bool literals(int count) {
    const size_t available = kWhole ? size_t(count) : std::min(size_t(count), n_ - at_);
    if (capacity_ - out_ < available) return false;
    if (n_ - at_ >= 16 && capacity_ - out_ >= 16)
      copy16(dst_ + out_, src_ + at_);
    else
      std::memcpy(dst_ + out_, src_ + at_, available);
    at_ += available;
    out_ += available;
    return true;
  }

  template <bool kWhole>
  CodecStatus code() {
    if (!kWhole && n_ - at_ < 2) return CodecStatus::badInput;
    const uint32_t first = src_[at_];
    const uint32_t second = src_[at_ + 1];
    at_ += 2;
    switch (first >> 4) {
      case 0xE: {
        if (!kWhole && at_ == n_) return CodecStatus::badInput;
        return fill(src_[at_++], ((first & 0xF) << 8) + second + kMinRun);
      }
      case 0xF:
        return fill(uint8_t(second), (first & 0xF) + kMinRun);
      default:
        return copyBack((first << 4) | (second >> 4), (second & 0xF) + kMinMatch);
    }
  }

  CodecStatus fill(uint8_t value, size_t length) {
    if (capacity_ - out_ < length) return CodecStatus::tooLarge;
    if (length < kShortRunLimit && capacity_ - out_ >= kShortRunLimit)
      std::memset(dst_ + out_, value, kShortRunLimit);  // fixed size: no call
    else
      std::memset(dst_ + out_, value, length);
    out_ += length;
    return CodecStatus::ok;
  }

  CodecStatus copyBack(size_t distance, size_t length) {
    if (distance == 0 || distance > out_) return CodecStatus::badInput;
    if (capacity_ - out_ < length) return CodecStatus::tooLarge;
    uint8_t* to = dst_ + out_;
    const uint8_t* from = to - distance;
    // The last eight-byte copy may run up to seven bytes past the match.
    if (distance >= 8 && capacity_ - out_ - length >= 7) {
      // Each eight bytes read lie wholly before the eight they are written to.
      for (size_t i = 0; i < length; i += 8) copy8(to + i, from + i);
    } else {  // the copy overlaps what it writes: byte by byte
      for (size_t i = 0; i < length; ++i) to[i] = from[i];
    }
    out_ += length;
    return CodecStatus::ok;
  }

  const uint8_t* src_;
  size_t n_;
  uint8_t* dst_;
  size_t capacity_;
  size_t at_ = 0;
  size_t out_ = 0;
};

}  // namespace

size_t lzCompressBound(size_t n) { return n + 2 * ((n + kItemsPerGroup - 1) / kItemsPerGroup) + 2; }

size_t lzCompress(const uint8_t* src, size_t n, uint8_t* dst) {
  Candidates table;
  GroupWriter out(dst);
  size_t p = 0;
  while (p < n) {
    out.beginItem();
    if (p >= kMatchesEnd && out.atGroupStart() && p + kItemsPerGroup < n &&
        noRunStartsInGroup(src + p)) {
      out.literalGroup(src + p);
      p += kItemsPerGroup;
      continue;
    }
    const size_t run = runAt(src, p, n);
    if (run >= kMinRun) {
      out.run(src[p], run);
      p += run;
    } else if (p < kMatchesEnd) {
      p += codeFromTable(table, src, p, n, out);
    } else {
      out.literal(src[p++]);
    }
  }
  return out.finish();
}

CodecStatus lzDecompress(const uint8_t* src, size_t n, uint8_t* dst, size_t capacity,
                         size_t& written) {
  written = 0;
  GroupReader reader(src, n, dst, capacity);
  const CodecStatus s = reader.run();
  if (s == CodecStatus::ok) written = reader.decoded();
  return s;
}

}  // namespace brevan::spatial
