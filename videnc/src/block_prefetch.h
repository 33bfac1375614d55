// Rows of frame bytes and of reference samples are read a block at a time
// and lie far apart in memory; asking for each row's next bytes while the
// block is worked on hides most of the wait for them. Prefetches never
// fault, so reading ahead past a plane's end is harmless.
#pragma once

namespace brevan::videnc {

constexpr int kFrameBytesAhead = 64;        // eight blocks further on
constexpr int kReferenceSamplesAhead = 32;  // four blocks further on

inline void prefetchRow(const void* p) { __builtin_prefetch(p, 0, 3); }

}  // namespace brevan::videnc
