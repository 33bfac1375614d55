#include "status_font.h"

#include <gtest/gtest.h>

namespace brevan::statuspanel {
namespace {

TEST(StatusFont, EveryRowOfTheTableAndItsNeighbours) {
  const struct {
    const char* locale;
    const char* face;
  } cases[] = {
      {"zh_TW", "MingLiU"},
      {"zh_HK", "MingLiU"},
      {"ZH_tw", "MingLiU"},
      {"zh_CN", "SimSun"},
      {"zh_SG", "SimSun"},
      {"Zh_Sg", "SimSun"},
      {"zh_MO", "Arial"},
      {"zh_", "Arial"},
      {"zh_TWN", "Arial"},
      {"ja_JP", "MS UI Gothic"},
      {"JA_xx", "MS UI Gothic"},
      {"jav_ID", "MS UI Gothic"},
      {"ko_KR", "Gulim"},
      {"KO_", "Gulim"},
      {"kok_IN", "Gulim"},
      {"en_US", "Arial"},
      {"de_DE", "Arial"},
      {"j", "Arial"},
      {"", "Arial"},
      {"_", "Arial"},
  };
  for (const auto& c : cases) {
    EXPECT_STREQ(statusFontFace(c.locale), c.face) << "locale \"" << c.locale << '"';
  }
}

TEST(StatusFont, LocaleNameKeepsThreeCharactersOfEachPart) {
  EXPECT_EQ(localeName("zh", "TW"), "zh_TW");
  EXPECT_EQ(localeName("kok", "IN"), "kok_IN");
  EXPECT_EQ(localeName("abcd", "WXYZ"), "abc_WXY");
  EXPECT_EQ(localeName("", ""), "_");
  // A three-letter language never reads as one of the Chinese rows.
  EXPECT_STREQ(statusFontFace(localeName("zho", "TW")), "Arial");
}

}  // namespace
}  // namespace brevan::statuspanel
