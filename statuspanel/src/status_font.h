// The face of the status text, chosen from the system locale so that the Chinese, Japanese and
// Korean strings are drawn with a font that holds their characters.
#pragma once

#include <string>
#include <string_view>

namespace brevan::statuspanel {

// "<ISO 639 language>_<ISO 3166 country>", each cut to the three characters that the panel's
// four-byte buffers hold.
std::string localeName(std::string_view language, std::string_view country);

// The face for a locale name, compared without regard to case.
const char* statusFontFace(std::string_view localeName);

// The point size of the status text in tenths of a point.
constexpr int kStatusFontTenthsOfPoint = 110;

}  // namespace brevan::statuspanel
