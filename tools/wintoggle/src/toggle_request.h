// What WinToggle makes of its arguments: the title text, how titles are searched for it and the
// show state to give the first window found.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace brevan::wintoggle {

// Window titles are read into this many bytes, NUL included.
constexpr size_t kTitleBufferBytes = 256;

enum class TitleSearch { kBeginsWith, kContains };

// The system's show states.
constexpr int kHide = 0;
constexpr int kShow = 5;

struct ToggleRequest {
  std::string text;
  TitleSearch search = TitleSearch::kBeginsWith;
  int showState = kHide;
};

// `arguments` is the command line after the program's name. Nothing when the option is missing
// or unknown, or when the text is longer than any title that is read can be.
std::optional<ToggleRequest> parseToggleArguments(std::string_view arguments);

// Case-sensitive over the text's length (begins with) or anywhere in the title (contains).
bool titleMatches(std::string_view title, const ToggleRequest& request);

}  // namespace brevan::wintoggle
