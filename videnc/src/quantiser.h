// Quantiser steps, scan order and the quantisation of one transformed block.
#pragma once

#include <cstdint>

namespace brevan::videnc {

constexpr int kQuantCount = 20;    // index 0 is the coarsest step, 19 the finest
constexpr int kDefaultQuant = 13;  // used until there is a size history

extern const int32_t kDcStep[kQuantCount];
extern const int32_t kAcStep[kQuantCount];

// Zigzag order of JPEG and H.263: scan position -> natural position
// (8 * row + column).
extern const uint8_t kZigzag[64];

// Truncating division by a step. Coefficients of 8-bit pictures and of
// their differences stay below 2^15, where a 32-bit multiply and shift is
// exact; larger values (only from pathological references) divide.
constexpr uint32_t kFastDivideLimit = 1u << 15;

struct StepDivider {
  int32_t step;
  uint32_t multiplier;  // ceil(2^shift / step)
  int shift;            // 15 + ceil(log2 step)

  explicit StepDivider(int32_t s);

  // |n| < kFastDivideLimit.
  int32_t divideSmall(int32_t n) const {
    const uint32_t sign = static_cast<uint32_t>(n >> 31);  // all ones when negative
    const uint32_t magnitude = (static_cast<uint32_t>(n) ^ sign) - sign;
    const uint32_t q = (magnitude * multiplier) >> shift;
    return static_cast<int32_t>((q ^ sign) - sign);
  }
  int32_t divide(int32_t n) const {
    const uint32_t magnitude = n < 0 ? 0u - static_cast<uint32_t>(n) : static_cast<uint32_t>(n);
    if (magnitude < kFastDivideLimit) return divideSmall(n);
    const uint32_t q = magnitude / static_cast<uint32_t>(step);
    return n < 0 ? -static_cast<int32_t>(q) : static_cast<int32_t>(q);
  }
};

struct QuantSteps {
  StepDivider dc;
  StepDivider ac;
  explicit QuantSteps(int q) : dc(kDcStep[q]), ac(kAcStep[q]) {}
};

// Levels of a transformed block, both in natural order, with the
// small-block rule applied: a lone nonzero level in -2..2,
// or each of exactly two nonzero levels that lies in -1..1, becomes 0.
// Returns the nonzero levels as bits, bit i for natural position i.
uint64_t quantiseBlock(const int32_t* coeff, const QuantSteps& steps, int32_t* levels);

// The DC level and the nonzero mask after a vector division of every
// coefficient by the AC step: levels[0] is redone with the DC step and
// zeroLanes has bit i set where the division gave 0 (no small-block rule).
inline uint64_t levelsWithOwnDc(uint64_t zeroLanes, int32_t dcCoeff, const QuantSteps& steps,
                                int32_t* levels) {
  levels[0] = steps.dc.divideSmall(dcCoeff);
  return (~zeroLanes & ~uint64_t{1}) | (levels[0] != 0 ? 1u : 0u);
}

// The small-block rule on levels whose nonzero ones are the bits of mask;
// returns the bits left.
inline uint64_t applySmallBlockRule(int32_t* levels, uint64_t mask) {
  // The rule needs only whether one, two or more levels are nonzero.
  const uint64_t afterFirst = mask & (mask - 1);
  if (mask == 0 || (afterFirst & (afterFirst - 1)) != 0) return mask;
  // Both candidates are tested before either changes, without a loop (a
  // lone level is its own second); whether a block has one or two levels
  // is as good as random, so a loop's exit would often be mispredicted.
  const uint32_t limit = afterFirst == 0 ? 2 : 1;
  const uint64_t firstBit = mask ^ afterFirst;
  const uint64_t secondBit = afterFirst != 0 ? afterFirst : firstBit;
  const int first = __builtin_ctzll(firstBit), second = __builtin_ctzll(secondBit);
  const bool dropFirst = static_cast<uint32_t>(levels[first]) + limit <= 2 * limit;
  const bool dropSecond = static_cast<uint32_t>(levels[second]) + limit <= 2 * limit;
  if (dropFirst) levels[first] = 0;
  if (dropSecond) levels[second] = 0;
  return mask & ~((dropFirst ? firstBit : 0) | (dropSecond ? secondBit : 0));
}

// The same without a jump on the count of levels, for difference blocks:
// whether one of those has none, one, two or more levels is as good as
// random, so such a jump would often be mispredicted. (Blocks coded by
// themselves mostly have many levels, and there the jumps of the form
// above cost less than this one's constant work.) With one or two levels
// they are the lowest and the highest bit (a lone level is both); the two
// positions are read and written back whatever the count, and the rule
// only decides whether the values written are zeros.
inline uint64_t applySmallBlockRuleWithoutJumps(int32_t* levels, uint64_t mask) {
  const uint64_t afterFirst = mask & (mask - 1);
  const uint32_t oneOrTwo = (mask != 0) & ((afterFirst & (afterFirst - 1)) == 0);
  const uint32_t limit = 1 + (afterFirst == 0);
  const int first = __builtin_ctzll(mask | uint64_t{1} << 63);
  const int second = 63 - __builtin_clzll(mask | 1);
  const int32_t firstLevel = levels[first], secondLevel = levels[second];
  const uint32_t dropFirst = oneOrTwo & (static_cast<uint32_t>(firstLevel) + limit <= 2 * limit);
  const uint32_t dropSecond = oneOrTwo & (static_cast<uint32_t>(secondLevel) + limit <= 2 * limit);
  // The second first: for a lone level both are the same position.
  levels[second] = secondLevel & static_cast<int32_t>(dropSecond - 1);
  levels[first] = firstLevel & static_cast<int32_t>(dropFirst - 1);
  return mask & ~(uint64_t{dropFirst} << first | uint64_t{dropSecond} << second);
}

// Bit i set where levels[i] != 0.
uint64_t nonzeroMask(const int32_t* levels);

// Reconstruction values of levels, both in natural order.
void reconstructBlock(const int32_t* levels, const QuantSteps& steps, int32_t* recon);

// Same, reading only the levels at the natural positions set in `present`
// and writing 0 elsewhere.
void reconstructBlock(const int32_t* levels, uint64_t present, const QuantSteps& steps,
                      int32_t* recon);

}  // namespace brevan::videnc
