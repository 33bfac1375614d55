// Java's modified UTF-8, the form of GetStringUTFChars and NewStringUTF: every UTF-16 unit is
// coded on its own (surrogates as two 3-byte sequences) and U+0000 as the two bytes C0 80.
#pragma once

#include <string>

namespace brevan::jnitest {

std::string toModifiedUtf8(const std::u16string& text);

// Also accepts the 4-byte sequences of standard UTF-8 (as surrogate pairs). A malformed byte
// becomes U+FFFD, so the result never reads past the input.
std::u16string fromModifiedUtf8(const std::string& bytes);

}  // namespace brevan::jnitest
