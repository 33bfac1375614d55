#include "status_font.h"

#include <algorithm>
#include <cctype>

namespace brevan::statuspanel {

namespace {

constexpr size_t kLocalePartChars = 3;  // a buffer of 4 bytes with its closing NUL

std::string lowered(std::string_view text) {
  std::string result(text);
  std::transform(result.begin(), result.end(), result.begin(),
                 [](unsigned char c) { return char(std::tolower(c)); });
  return result;
}

}  // namespace

std::string localeName(std::string_view language, std::string_view country) {
  return std::string(language.substr(0, kLocalePartChars)) + "_" +
         std::string(country.substr(0, kLocalePartChars));
}

const char* statusFontFace(std::string_view localeName) {
  const std::string name = lowered(localeName);
  if (name == "zh_tw" || name == "zh_hk") return "MingLiU";
  if (name == "zh_cn" || name == "zh_sg") return "SimSun";
  if (name.compare(0, 2, "ja") == 0) return "MS UI Gothic";
  if (name.compare(0, 2, "ko") == 0) return "Gulim";
  return "Arial";
}

}  // namespace brevan::statuspanel
