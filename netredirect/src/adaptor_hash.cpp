#include "adaptor_hash.h"

#include <algorithm>

namespace brevan::netredirect {

int32_t adaptorHash(const std::vector<AdapterEntry>& adapters) {
  const size_t count = std::min(adapters.size(), kMaxAdapters);
  uint32_t hash = uint32_t(count);
  for (size_t i = 0; i < count; ++i) {
    const std::string& name = adapters[i].name;
    uint32_t term = uint32_t(i * i);
    for (size_t j = 0; j < name.size() && j < kAdapterNameBytes && name[j] != 0; ++j) {
      term += uint32_t(j) * uint32_t(int32_t(static_cast<signed char>(name[j])));
    }
    hash += term;
  }
  return int32_t(hash);
}

}  // namespace brevan::netredirect
