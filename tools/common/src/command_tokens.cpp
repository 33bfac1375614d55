#include "command_tokens.h"

namespace brevan::tools {

template <class Char>
std::vector<CommandToken<Char>> splitCommandLine(std::basic_string_view<Char> line,
                                                 std::basic_string_view<Char> quotes) {
  std::vector<CommandToken<Char>> tokens;
  CommandToken<Char> current;
  bool inToken = false;
  Char openQuote = 0;  // the quote that opened the current stretch, 0 outside quotes
  for (Char c : line) {
    if (!openQuote && c == Char(' ')) {
      if (inToken) tokens.push_back(std::move(current));
      current = {};
      inToken = false;
      continue;
    }
    inToken = true;
    current.text += c;
    if (openQuote) {
      if (c == openQuote) openQuote = 0;
    } else if (quotes.find(c) != std::basic_string_view<Char>::npos) {
      openQuote = c;
      current.quoted = true;
    }
  }
  if (inToken) tokens.push_back(std::move(current));
  return tokens;
}

template std::vector<CommandToken<char>> splitCommandLine(std::string_view, std::string_view);
template std::vector<CommandToken<char16_t>> splitCommandLine(std::u16string_view,
                                                              std::u16string_view);

}  // namespace brevan::tools
