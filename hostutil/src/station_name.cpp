#include "station_name.h"

namespace brevan::hostutil {

namespace {

bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

}  // namespace

int windowStationNumber(const std::u16string& name) {
  // Backtracking ".*" from the end finds the last position where "[0-9]+" can start; the digit
  // run from there is that one digit, since any digit after it would have been found first.
  for (size_t i = name.size(); i-- > 0;) {
    if (isDigit(name[i])) return name[i] - u'0';
  }
  return -1;
}

}  // namespace brevan::hostutil
