#include "jnitest/modified_utf8.h"

#include <cstddef>
#include <cstdint>

namespace brevan::jnitest {
namespace {

constexpr char16_t kReplacement = 0xFFFD;

bool isContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// Length of the sequence that starts with lead, or 0 for a byte that cannot start one.
std::size_t sequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if ((lead & 0xE0) == 0xC0) return 2;
  if ((lead & 0xF0) == 0xE0) return 3;
  if ((lead & 0xF8) == 0xF0) return 4;
  return 0;
}

void appendCodePoint(std::u16string& out, std::uint32_t cp) {
  if (cp > 0x10FFFF) cp = kReplacement;
  if (cp < 0x10000) {
    out.push_back(static_cast<char16_t>(cp));
    return;
  }
  cp -= 0x10000;
  out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
  out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
}

}  // namespace

std::string toModifiedUtf8(const std::u16string& text) {
  std::string out;
  for (char16_t unit : text) {
    if (unit != 0 && unit < 0x80) {
      out.push_back(static_cast<char>(unit));
    } else if (unit < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (unit >> 6)));
      out.push_back(static_cast<char>(0x80 | (unit & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xE0 | (unit >> 12)));
      out.push_back(static_cast<char>(0x80 | ((unit >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (unit & 0x3F)));
    }
  }
  return out;
}

std::u16string fromModifiedUtf8(const std::string& bytes) {
  static constexpr unsigned char kLeadMask[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
  std::u16string out;
  std::size_t i = 0;
  while (i < bytes.size()) {
    auto lead = static_cast<unsigned char>(bytes[i]);
    std::size_t length = sequenceLength(lead);
    bool complete = length != 0 && i + length <= bytes.size();
    for (std::size_t k = 1; complete && k < length; ++k) {
      complete = isContinuation(static_cast<unsigned char>(bytes[i + k]));
    }
    if (!complete) {
      out.push_back(kReplacement);
      ++i;
      continue;
    }
    std::uint32_t cp = lead & kLeadMask[length];
    for (std::size_t k = 1; k < length; ++k) {
      cp = (cp << 6) | (static_cast<unsigned char>(bytes[i + k]) & 0x3F);
    }
    appendCodePoint(out, cp);
    i += length;
  }
  return out;
}

}  // namespace brevan::jnitest
