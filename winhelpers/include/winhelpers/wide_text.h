// UTF-16 text of the portable code as the wide characters of the Windows API, and back.
#pragma once

#include <string>

namespace brevan::win32 {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "wide text is UTF-16 on Windows");

inline const wchar_t* asWide(const char16_t* text) {
  return reinterpret_cast<const wchar_t*>(text);
}
inline const char16_t* asUtf16(const wchar_t* text) {
  return reinterpret_cast<const char16_t*>(text);
}

inline const wchar_t* wide(const std::u16string& text) { return asWide(text.c_str()); }
inline std::u16string fromWide(const wchar_t* text) {
  return text ? std::u16string(asUtf16(text)) : std::u16string();
}

}  // namespace brevan::win32
