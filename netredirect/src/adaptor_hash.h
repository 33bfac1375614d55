// The adapter-list hash Java compares to notice a changed set of adapters: the count plus, per
// adapter i, i*i + the sum of j * name[j] (bytes taken as signed), wrapping in 32 bits.
#pragma once

#include <cstdint>
#include <vector>

#include "filter_backend.h"

namespace brevan::netredirect {

// At most 32 adapters and 256 bytes of each name count.
int32_t adaptorHash(const std::vector<AdapterEntry>& adapters);

}  // namespace brevan::netredirect
