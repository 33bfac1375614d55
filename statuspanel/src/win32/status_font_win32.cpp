#include "status_font_win32.h"

#include <cstring>

#include "status_font.h"

namespace brevan::statuspanel {

namespace {

std::string systemLocaleName() {
  char language[4] = {};
  char country[4] = {};
  GetLocaleInfoA(LOCALE_SYSTEM_DEFAULT, LOCALE_SISO639LANGNAME, language, sizeof language);
  GetLocaleInfoA(LOCALE_SYSTEM_DEFAULT, LOCALE_SISO3166CTRYNAME, country, sizeof country);
  return localeName(language, country);
}

// The height of a font of the given size on the screen, as a character height.
LONG screenHeightOfPoints(int tenthsOfPoint) {
  const HDC screen = GetDC(nullptr);
  const int pixelsPerInch = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen) ReleaseDC(nullptr, screen);
  return -LONG(pixelsPerInch * tenthsOfPoint / 720);
}

}  // namespace

brevan::win32::ScopedGdiObject createStatusFont() {
  LOGFONTA font{};
  font.lfHeight = screenHeightOfPoints(kStatusFontTenthsOfPoint);
  font.lfCharSet = DEFAULT_CHARSET;
  std::strncpy(font.lfFaceName, statusFontFace(systemLocaleName()), LF_FACESIZE - 1);
  return brevan::win32::ScopedGdiObject(CreateFontIndirectA(&font));
}

}  // namespace brevan::statuspanel
