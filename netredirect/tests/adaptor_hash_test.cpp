#include <gtest/gtest.h>

#include "adaptor_hash.h"

namespace brevan::netredirect {
namespace {

std::vector<AdapterEntry> named(const std::vector<std::string>& names) {
  std::vector<AdapterEntry> adapters;
  for (const std::string& name : names) adapters.push_back({name, 1});
  return adapters;
}

TEST(AdaptorHash, CountsPositionsAndSignedNameBytes) {
  EXPECT_EQ(adaptorHash({}), 0);
  EXPECT_EQ(adaptorHash(named({"ab"})), 1 + 98);
  // Second adapter: 1*1 + 1*'y'; the first byte of a name is weighted 0.
  EXPECT_EQ(adaptorHash(named({"ab", "xy"})), 2 + 98 + 1 + 121);
  // Bytes above 0x7F count as negative; a zero byte ends the name.
  EXPECT_EQ(adaptorHash(named({std::string("a\xFF") + '\0' + "zz"})), 1 - 1);
}

TEST(AdaptorHash, ClampsCountAndNameLengthAndWraps) {
  std::vector<AdapterEntry> many(40, AdapterEntry{"", 1});
  int64_t expected = 32;
  for (int64_t i = 0; i < 32; ++i) expected += i * i;
  EXPECT_EQ(adaptorHash(many), expected);

  const std::string longName(300, '\x7F');
  int64_t sum = 1;
  for (int64_t j = 0; j < 256; ++j) sum += j * 127;
  EXPECT_EQ(adaptorHash(named({longName})), int32_t(sum));

  // The largest possible list, summed in unsigned arithmetic.
  uint32_t wrapped = 32;
  for (uint32_t i = 0; i < 32; ++i) wrapped += i * i + uint32_t(sum - 1);
  EXPECT_EQ(adaptorHash(named(std::vector<std::string>(32, longName))), int32_t(wrapped));
}

}  // namespace
}  // namespace brevan::netredirect
