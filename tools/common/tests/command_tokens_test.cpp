#include "command_tokens.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace brevan::tools {
namespace {

// Tokens written as text, a quoted one marked with a leading '!'.
std::vector<std::string> split(const std::string& line, const std::string& quotes) {
  std::vector<std::string> out;
  for (const auto& token : splitCommandLine(std::string_view(line), std::string_view(quotes))) {
    out.push_back((token.quoted ? "!" : "") + token.text);
  }
  return out;
}

struct Case {
  const char* line;
  const char* quotes;
  std::vector<std::string> tokens;
};

TEST(CommandTokens, CutsAtSpacesOutsideQuotes) {
  const Case cases[] = {
      {"", "\"", {}},
      {"   ", "\"", {}},
      {"a b", "\"", {"a", "b"}},
      {"  a   b  ", "\"", {"a", "b"}},  // a run of spaces is one separator
      {"prog \"a b\" c", "\"", {"prog", "!\"a b\"", "c"}},
      {"x\"a b\"y z", "\"", {"!x\"a b\"y", "z"}},
      {"\"open to the end", "\"", {"!\"open to the end"}},
      {"\"", "\"", {"!\""}},
      {"'a b' c", "\"", {"'a", "b'", "c"}},  // not a quote for this program
      {"'a b' \"c d\"", "'\"", {"!'a b'", "!\"c d\""}},
      // Inside one kind of quote the other is literal.
      {"\"Bob's Window\" /HID", "'\"", {"!\"Bob's Window\"", "/HID"}},
      {"'say \"hi\" now' /VIS", "'\"", {"!'say \"hi\" now'", "/VIS"}},
      {"it's /HID", "'\"", {"!it's /HID"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(split(c.line, c.quotes), c.tokens) << "line: " << c.line;
  }
}

}  // namespace
}  // namespace brevan::tools
