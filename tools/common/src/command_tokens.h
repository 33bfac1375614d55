// Cutting a program's raw command line into tokens, for the helper programs that read their own
// command line with their own quoting rules (narrow or wide characters).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace brevan::tools {

template <class Char>
struct CommandToken {
  std::basic_string<Char> text;  // as it stands, quotes included
  bool quoted = false;           // a quote character occurred in it
};

// Cuts `line` at spaces outside quoted stretches; a run of spaces is one separator, so no token
// is empty. Each character of `quotes` opens a stretch that only the same character closes:
// inside it the other quote characters are literal. An unclosed stretch runs to the end.
template <class Char>
std::vector<CommandToken<Char>> splitCommandLine(std::basic_string_view<Char> line,
                                                 std::basic_string_view<Char> quotes);

extern template std::vector<CommandToken<char>> splitCommandLine(std::string_view,
                                                                  std::string_view);
extern template std::vector<CommandToken<char16_t>> splitCommandLine(std::u16string_view,
                                                                     std::u16string_view);

}  // namespace brevan::tools
