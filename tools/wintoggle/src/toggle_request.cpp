#include "toggle_request.h"

#include <vector>

#include "command_tokens.h"

namespace brevan::wintoggle {

namespace {

struct Option {
  const char* name;
  TitleSearch search;
  int showState;
};

constexpr Option kOptions[] = {
    {"/HID", TitleSearch::kBeginsWith, kHide},
    {"/VIS", TitleSearch::kBeginsWith, kShow},
    {"/HIDSUB", TitleSearch::kContains, kHide},
    {"/VISSUB", TitleSearch::kContains, kShow},
};

char upper(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }

// Whole and without regard to letter case: "/hid" is "/HID", "/HIDSUB" is not.
bool sameOption(std::string_view given, std::string_view name) {
  if (given.size() != name.size()) return false;
  for (size_t i = 0; i < given.size(); ++i) {
    if (upper(given[i]) != name[i]) return false;
  }
  return true;
}

// A token in which a quote occurred loses its enclosing quotes, or everything when it is
// shorter than a pair of them.
std::string tokenText(const tools::CommandToken<char>& token) {
  if (!token.quoted) return token.text;
  if (token.text.size() < 2) return std::string();
  return token.text.substr(1, token.text.size() - 2);
}

}  // namespace

std::optional<ToggleRequest> parseToggleArguments(std::string_view arguments) {
  const auto tokens = tools::splitCommandLine(arguments, std::string_view("'\""));
  if (tokens.size() < 2) return std::nullopt;
  std::string text = tokenText(tokens[0]);
  if (text.size() >= kTitleBufferBytes) return std::nullopt;  // no title read can hold it
  const std::string option = tokenText(tokens[1]);
  for (const Option& known : kOptions) {
    if (sameOption(option, known.name)) return ToggleRequest{std::move(text), known.search,
                                                             known.showState};
  }
  return std::nullopt;
}

bool titleMatches(std::string_view title, const ToggleRequest& request) {
  if (request.search == TitleSearch::kBeginsWith) {
    return title.substr(0, request.text.size()) == request.text;
  }
  return title.find(request.text) != std::string_view::npos;
}

}  // namespace brevan::wintoggle
