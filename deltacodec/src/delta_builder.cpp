// The delta builder scans target (position k) and base (position l) once, side by side, each with
// a 40-byte rolling hash and a position table. A target window whose hash is in the base table,
// or a base window whose hash is in the target table, is extended to a match in both directions;
// matches of 40 bytes or more become copies in the pending queue, which is edited when a new match
// overlaps what it holds. Target bytes no copy covers become inserts.
#include <algorithm>
#include <cstdlib>
#include <limits>

#include "delta_error.h"
#include "delta_operations.h"
#include "operation_queue.h"
#include "position_table.h"
#include "rolling_hash.h"

namespace brevan::delta {
namespace {

constexpr int64_t kMinimumCopy = 40;
constexpr int64_t kFirstDiagonal = 42;
constexpr int64_t kNoRejectedDiagonal = 0xFFFFFF;
// A base-side diagonal this close to the last rejected one is not extended again.
constexpr int64_t kRejectedSpread = 4;

struct Match {
  int64_t targetStart;
  int64_t baseStart;
  int64_t length;
  int64_t targetEnd() const { return targetStart + length; }
  int64_t baseEnd() const { return baseStart + length; }
};

enum class Side { Target, Base };

class DeltaBuilder {
 public:
  DeltaBuilder(BufferedReader& target, BufferedReader& base, BufferedWriter& out)
      : target_(target),
        base_(base),
        out_(out),
        targetSize_(target.size()),
        baseSize_(base.size()),
        queue_([this](const PendingOperation& op) { write(op); }) {
    constexpr int64_t kLargest = std::numeric_limits<int32_t>::max();
    if (targetSize_ > kLargest || baseSize_ > kLargest) throw DeltaError("file too large");
  }

  void run();

 private:
  bool targetSideQueued();
  bool baseSideQueued();
  Match extend(int64_t targetPos, int64_t basePos);
  bool place(Match match, Side side);
  bool placeInside(int w, const Match& match, Side side);
  void advancePast(const Match& match);
  void advanceOne();
  int64_t editableStart() const { return queue_.empty() ? c_ : queue_.at(0).targetStart; }
  void write(const PendingOperation& op);

  BufferedReader& target_;
  BufferedReader& base_;
  BufferedWriter& out_;
  const int64_t targetSize_;
  const int64_t baseSize_;
  RollingHash targetHash_, baseHash_;
  PositionTable targetTable_, baseTable_;
  OperationQueue queue_;
  int64_t k_ = 0;  // target scanning position
  int64_t l_ = 0;  // base scanning position
  int64_t c_ = 0;  // covered end: the target up to here is queued or written
  int64_t targetDiagonal_ = kFirstDiagonal;  // base - target of the last target-side candidate
  int64_t baseDiagonal_ = kFirstDiagonal;    // target - base of the last base-side candidate
  int64_t rejectedDiagonal_ = kNoRejectedDiagonal;
};

void DeltaBuilder::run() {
  while (k_ < targetSize_ || l_ < baseSize_) {
    // The target side waits while it is more than a quarter ahead of the base side.
    bool paused = l_ < baseSize_ && k_ > 5 * l_ / 4;
    if (k_ < targetSize_ && !paused) {
      targetHash_.take(target_.scanByte(k_));
      targetTable_.enter(static_cast<int32_t>(k_), targetHash_.value());
    }
    if (l_ < baseSize_) {
      baseHash_.take(base_.scanByte(l_));
      baseTable_.enter(static_cast<int32_t>(l_), baseHash_.value());
    }
    if (k_ < targetSize_ && targetSideQueued()) continue;
    if (l_ < baseSize_ && baseSideQueued()) continue;
    if (k_ < targetSize_ && !paused) ++k_;
    if (l_ < baseSize_) ++l_;
  }
  if (c_ < targetSize_) queue_.append({PendingOperation::Insert, targetSize_ - c_, c_, -1});
  queue_.writeAll();
  out_.put(kEndCode);
}

bool DeltaBuilder::targetSideQueued() {
  uint32_t bucket = PositionTable::bucketOf(targetHash_.value());
  int64_t e = baseTable_.position(bucket);
  if (e == PositionTable::kEmpty || e - k_ == targetDiagonal_) return false;
  if (baseTable_.hash(bucket) != targetHash_.value()) return false;
  targetDiagonal_ = e - k_;
  Match match = extend(k_, e);
  return match.length >= kMinimumCopy && place(match, Side::Target);
}

bool DeltaBuilder::baseSideQueued() {
  uint32_t bucket = PositionTable::bucketOf(baseHash_.value());
  int64_t e = targetTable_.position(bucket);
  if (e <= editableStart()) {
    // Target positions before the editable part can never be copied to again.
    targetTable_.clear(bucket);
    return false;
  }
  if (e - l_ == baseDiagonal_ || targetTable_.hash(bucket) != baseHash_.value()) return false;
  baseDiagonal_ = e - l_;
  if (std::llabs(baseDiagonal_ - rejectedDiagonal_) <= kRejectedSpread) {
    rejectedDiagonal_ = baseDiagonal_;
    return false;
  }
  rejectedDiagonal_ = kNoRejectedDiagonal;
  Match match = extend(e, l_);
  return match.length >= kMinimumCopy && place(match, Side::Base);
}

// The longest stretch through (targetPos, basePos) whose bytes agree, not reaching below the
// editable part of the target.
Match DeltaBuilder::extend(int64_t targetPos, int64_t basePos) {
  int64_t low = editableStart();
  int64_t t = targetPos, b = basePos;
  while (t > low && b > 0 && target_.probeByte(t - 1) == base_.probeByte(b - 1)) --t, --b;
  int64_t tEnd = targetPos, bEnd = basePos;
  while (tEnd < targetSize_ && bEnd < baseSize_ && target_.probeByte(tEnd) == base_.probeByte(bEnd))
    ++tEnd, ++bEnd;
  return {t, b, tEnd - t};
}

// Queues a match of at least 40 bytes; false when it is given up and the iteration goes on.
bool DeltaBuilder::place(Match match, Side side) {
  if (match.targetStart >= c_) {
    if (c_ < match.targetStart)
      queue_.append({PendingOperation::Insert, match.targetStart - c_, c_, -1});
    queue_.append({PendingOperation::Copy, match.length, match.targetStart, match.baseStart});
    advancePast(match);
    return true;
  }
  // The match overlaps queued entries: w is the newest live one starting at or before it.
  int w = queue_.size() - 1;
  while (queue_.at(w).kind == PendingOperation::Removed ||
         queue_.at(w).targetStart > match.targetStart)
    --w;
  return placeInside(w, match, side);
}

bool DeltaBuilder::placeInside(int w, const Match& found, Side side) {
  Match match = found;
  const int64_t kE = match.targetEnd();
  // B: the first live entry from w on that ends after the match (size() if none).
  int b = w;
  while (b < queue_.size() &&
         (queue_.at(b).kind == PendingOperation::Removed || queue_.at(b).targetEnd() <= kE))
    ++b;
  PendingOperation& entryW = queue_.at(w);
  const int64_t delta = match.targetStart - entryW.targetStart;
  auto cutW = [&] {
    if (delta < 1)
      entryW.kind = PendingOperation::Removed;
    else
      entryW.length = delta;
  };

  if (b == w) {
    if (entryW.kind == PendingOperation::Copy) {
      if (side == Side::Base) l_ = match.baseEnd();
      return false;
    }
    // The match lies inside an insert: split it around the copy.
    const int64_t oldEnd = entryW.targetEnd();
    cutW();
    int at = w + 1 - queue_.trim();
    at = queue_.insertAt(
        at, {PendingOperation::Copy, match.length, match.targetStart, match.baseStart});
    queue_.insertAt(at + 1, {PendingOperation::Insert, oldEnd - kE, kE, -1});
    advanceOne();
    return true;
  }

  if (entryW.kind == PendingOperation::Insert) {
    cutW();
  } else {
    const int64_t start = entryW.targetEnd();
    match = {start, match.baseStart + (start - match.targetStart), kE - start};
    if (match.length < kMinimumCopy) {
      if (side == Side::Base) rejectedDiagonal_ = baseDiagonal_;
      return false;
    }
  }

  if (b == queue_.size()) {
    queue_.truncate(entryW.kind == PendingOperation::Removed ? w : w + 1);
    queue_.trim();
    queue_.append({PendingOperation::Copy, match.length, match.targetStart, match.baseStart});
    advancePast(match);
    return true;
  }

  PendingOperation& entryB = queue_.at(b);
  if (entryB.kind == PendingOperation::Insert) {
    entryB.length -= kE - entryB.targetStart;
    entryB.targetStart = kE;
  } else {
    match.length = entryB.targetStart - match.targetStart;
  }
  for (int i = w + 1; i < b; ++i) queue_.at(i).kind = PendingOperation::Removed;
  b -= queue_.trim();
  if (match.length > 0)
    queue_.insertAt(b, {PendingOperation::Copy, match.length, match.targetStart, match.baseStart});
  advanceOne();
  return true;
}

void DeltaBuilder::advancePast(const Match& match) {
  k_ = std::min(targetSize_, std::max(k_ + 1, match.targetEnd()));
  if (l_ < baseSize_) l_ = std::max(l_ + 1, match.baseEnd());
  c_ = match.targetEnd();
}

void DeltaBuilder::advanceOne() {
  k_ = std::min(targetSize_, k_ + 1);
  if (l_ < baseSize_) ++l_;
}

void DeltaBuilder::write(const PendingOperation& op) {
  if (op.kind == PendingOperation::Copy) {
    writeCopy(out_, op.length, op.baseOffset);
  } else {
    writeInsertHeader(out_, op.length);
    target_.copyTo(op.targetStart, op.length, out_);
  }
}

}  // namespace

void buildDelta(BufferedReader& target, BufferedReader& base, BufferedWriter& out) {
  DeltaBuilder(target, base, out).run();
}

}  // namespace brevan::delta
