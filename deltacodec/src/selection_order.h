// The order in which a selection sort leaves a list: for each place i, the first smallest key
// among places i.. is swapped into place i. The swaps make the order of equal keys depend on the
// whole list, and delta inversion depends on that order, so it is reproduced exactly; a tree of
// minimums finds each smallest key in O(log n) instead of a scan.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace brevan::delta {

// Returns the indices of keys in the order the selection sort leaves them.
std::vector<size_t> selectionSortOrder(const std::vector<int64_t>& keys);

}  // namespace brevan::delta
