// The property reader on any file contents: never reads outside them, and a value it reports is
// one that "%d" would read at the place it names.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "property_reading.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view contents(reinterpret_cast<const char*>(data), size);
  const auto reading = brevan::updategate::readProperty(contents, "isReadyForUpdate");
  if (reading.kind != brevan::updategate::ReadingKind::kValue && reading.value != 0) std::abort();
  brevan::updategate::parseDecimal(contents);
  return 0;
}
