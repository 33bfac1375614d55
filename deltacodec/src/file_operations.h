// The four operations on named files, as the Java class calls them. Results:
//   >= 0  bytes written to the output file;
//   -2    the first or the second file cannot be opened for reading (nothing is written);
//   -1    the work failed: a malformed delta (an operation outside its files, no end code), a
//         file that cannot be read or written, a result too large for an int. The output file
//         is removed, so that no partial result is ever mistaken for a good one.
// The output file is deleted and written anew otherwise. No exception leaves these functions.
#pragma once

#include "file_io.h"

namespace brevan::delta {

constexpr int kFailed = -1;
constexpr int kCannotOpen = -2;

int subtractAbsFromAbs(const FileName& target, const FileName& base, const FileName& delta);
int addDeltaToAbs(const FileName& base, const FileName& delta, const FileName& result);
int addDeltaToDelta(const FileName& first, const FileName& second, const FileName& result);
int inverseDelta(const FileName& base, const FileName& delta, const FileName& result);

}  // namespace brevan::delta
