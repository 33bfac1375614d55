// Status and trace lines: printf-style templates with %s (wide text) and %d (integer) only,
// so the exact line templates stay readable where they are used.
#pragma once

#include <initializer_list>
#include <string>

namespace brevan::ipclink {

class FormatArg {
 public:
  FormatArg(const char16_t* text) : text_(text ? text : u"(null)") {}
  FormatArg(const std::u16string& text) : text_(text.c_str()) {}
  FormatArg(int number) : number_(number) {}
  FormatArg(long number) : number_(number) {}
  FormatArg(long long number) : number_(number) {}

  void appendTo(std::u16string& out, char conversion) const;

 private:
  const char16_t* text_ = nullptr;
  long long number_ = 0;
};

// Expands "%s" and "%d" in an ASCII template, one argument each, in order.
// "%%" is a literal percent sign; a conversion without an argument is kept as written.
std::u16string formatText(const char* pattern, std::initializer_list<FormatArg> args);

// The first `limit` characters of a NUL-terminated text.
std::u16string prefixOf(const char16_t* text, size_t limit);

std::u16string fromAscii(const char* text);

}  // namespace brevan::ipclink
