#pragma once

#include <string>

namespace brevan::hostutil {

// The number of a window-station name as the pattern "{.*}{[0-9]+}" reads it: the greedy first
// group leaves the last digit of the name to the second group, and the match need not reach the
// end of the name. -1 when the name holds no digit.
int windowStationNumber(const std::u16string& name);

}  // namespace brevan::hostutil
