// Text helpers for tests that talk to wide-character interfaces.
#pragma once

#include <string>

namespace brevan::testsupport {

// ASCII text as wide characters (test ids, paths and actions are ASCII).
inline std::wstring widen(const std::string& text) { return std::wstring(text.begin(), text.end()); }

}  // namespace brevan::testsupport
