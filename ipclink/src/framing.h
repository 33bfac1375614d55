// The framed wire form of a message: "<LENGTH>" N "</LENGTH>", the body, one NUL; N counts the
// 16-bit characters after the closing tag (the body plus the NUL).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace brevan::ipclink {

inline constexpr char16_t kLengthOpenTag[] = u"<LENGTH>";
inline constexpr char16_t kLengthCloseTag[] = u"</LENGTH>";

// True when the text holds "<LENGTH>", digits (possibly none) and "</LENGTH>" anywhere.
bool containsLengthTag(const char16_t* text);

// The value of the first complete length tag (0 when it has no digits) and, in *position, the index
// of the first character after its "</LENGTH>". -1 (and *position untouched) when there is no tag.
// Values too large for an int are clamped to INT_MAX.
int lengthFromTag(const char16_t* text, int* position);

// "<LENGTH>" (body length + 1) "</LENGTH>" body; the string's own terminator is the frame's NUL.
std::u16string frameBody(const std::u16string& body);

// The framed form of a serialised document: exactly its last two characters (the closing line
// break) are dropped before framing.
std::u16string frameSerialised(const std::u16string& serialised);

// The plain text form: every trailing carriage return and line feed removed.
std::u16string trimLineBreaks(const std::u16string& serialised);

// Raw bytes carried inside wide text: byte b <-> character 0x2A00 + b, so no byte becomes NUL.
inline constexpr char16_t kByteCharBase = 0x2A00;
void bytesToChars(const uint8_t* bytes, size_t count, char16_t* out);
void charsToBytes(const char16_t* chars, size_t count, uint8_t* out);

}  // namespace brevan::ipclink
