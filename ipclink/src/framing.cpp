#include "framing.h"

#include <climits>

namespace brevan::ipclink {
namespace {

constexpr size_t kOpenLength = 8;   // "<LENGTH>"
constexpr size_t kCloseLength = 9;  // "</LENGTH>"

bool startsWith(const char16_t* text, const char16_t* prefix) {
  for (; *prefix; ++text, ++prefix) {
    if (*text != *prefix) return false;
  }
  return true;
}

const char16_t* findOpenTag(const char16_t* text) {
  for (; *text; ++text) {
    if (startsWith(text, kLengthOpenTag)) return text;
  }
  return nullptr;
}

bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// Parses the tag starting at `open`; returns the index just past "</LENGTH>" relative to `open`,
// or 0 when the digits are not followed by the closing tag.
size_t parseTag(const char16_t* open, int* value) {
  const char16_t* p = open + kOpenLength;
  long long number = 0;
  for (; isDigit(*p); ++p) {
    number = number * 10 + (*p - u'0');
    if (number > INT_MAX) number = INT_MAX;
  }
  if (!startsWith(p, kLengthCloseTag)) return 0;
  *value = static_cast<int>(number);
  return static_cast<size_t>(p - open) + kCloseLength;
}

}  // namespace

bool containsLengthTag(const char16_t* text) {
  int position = 0;
  return lengthFromTag(text, &position) >= 0;
}

int lengthFromTag(const char16_t* text, int* position) {
  if (!text) return -1;
  // The first complete tag counts: an opening tag that is not closed is skipped.
  for (const char16_t* open = findOpenTag(text); open; open = findOpenTag(open + 1)) {
    int value = 0;
    size_t end = parseTag(open, &value);
    if (end == 0) continue;
    if (position) *position = static_cast<int>((open - text) + end);
    return value;
  }
  return -1;
}

std::u16string frameBody(const std::u16string& body) {
  std::u16string framed(kLengthOpenTag);
  for (char c : std::to_string(body.size() + 1)) framed += static_cast<char16_t>(c);
  framed += kLengthCloseTag;
  framed += body;
  return framed;
}

std::u16string frameSerialised(const std::u16string& serialised) {
  size_t keep = serialised.size() >= 2 ? serialised.size() - 2 : 0;
  return frameBody(serialised.substr(0, keep));
}

std::u16string trimLineBreaks(const std::u16string& serialised) {
  size_t end = serialised.size();
  while (end > 0 && (serialised[end - 1] == u'\r' || serialised[end - 1] == u'\n')) --end;
  return serialised.substr(0, end);
}

void bytesToChars(const uint8_t* bytes, size_t count, char16_t* out) {
  for (size_t i = 0; i < count; ++i) out[i] = static_cast<char16_t>(kByteCharBase + bytes[i]);
}

void charsToBytes(const char16_t* chars, size_t count, uint8_t* out) {
  for (size_t i = 0; i < count; ++i) out[i] = static_cast<uint8_t>(chars[i] & 0xFF);
}

}  // namespace brevan::ipclink
