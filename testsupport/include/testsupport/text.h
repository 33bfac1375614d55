// Text helpers for tests that talk to wide-character interfaces.
#pragma once

#include <string>

namespace brevan::testsupport {

// Narrow text as wide characters, each byte its own character (test ids, paths and actions are
// ASCII).
inline std::wstring widen(const std::string& text) {
  std::wstring out;
  for (unsigned char byte : text) out += static_cast<wchar_t>(byte);
  return out;
}

}  // namespace brevan::testsupport
