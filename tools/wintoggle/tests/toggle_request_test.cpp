#include "toggle_request.h"

#include <gtest/gtest.h>

#include <string>

namespace brevan::wintoggle {
namespace {

// "-" when nothing is to be done, else "<search> <state> [<text>]".
std::string describe(const std::string& arguments) {
  const auto request = parseToggleArguments(arguments);
  if (!request) return "-";
  return std::string(request->search == TitleSearch::kBeginsWith ? "begins " : "contains ") +
         std::to_string(request->showState) + " [" + request->text + "]";
}

TEST(ToggleRequest, TitleTextAndOption) {
  const struct {
    std::string arguments;
    const char* request;
  } cases[] = {
      {"Notepad /HID", "begins 0 [Notepad]"},
      {"Notepad /VIS", "begins 5 [Notepad]"},
      {"pad /HIDSUB", "contains 0 [pad]"},
      {"pad /VISSUB", "contains 5 [pad]"},
      {"Notepad /hid", "begins 0 [Notepad]"},  // any letter case
      {"Notepad /VisSub", "contains 5 [Notepad]"},
      {"Notepad /HIDX", "-"},  // options are compared whole
      {"Notepad /HI", "-"},
      {"Notepad", "-"},
      {"", "-"},
      {"Notepad  /HID", "begins 0 [Notepad]"},
      {"\"My Window\" /HID", "begins 0 [My Window]"},
      {"'My Window' /VIS", "begins 5 [My Window]"},
      {"\"\" /HID", "begins 0 []"},  // the empty text: every title begins with it
      {"\"Bob's Window\" /HID", "begins 0 [Bob's Window]"},
      {"'a \"quoted\" word' /HIDSUB", "contains 0 [a \"quoted\" word]"},
      {"\"/HID\" \"/VIS\"", "begins 5 [/HID]"},
      {"\" /HID", "-"},          // a lone quote runs to the end: one token
      {"' /HID\"", "-"},
      {"Title \"", "-"},        // the option is a lone quote: empty
      {"x\"y z\" /HID", "begins 0 [\"y z]"},  // a token with a quote loses its ends
  };
  for (const auto& c : cases) {
    EXPECT_EQ(describe(c.arguments), c.request) << c.arguments;
  }
}

TEST(ToggleRequest, TextLongerThanAnyTitleReadDoesNothing) {
  for (size_t length : {1u, 254u, 255u, 256u, 300u, 5000u}) {
    const std::string text(length, 't');
    const bool fits = length < kTitleBufferBytes;
    EXPECT_EQ(bool(parseToggleArguments(text + " /HID")), fits) << length;
    EXPECT_EQ(bool(parseToggleArguments("\"" + text + "\" /VISSUB")), fits) << length;
  }
}

TEST(ToggleRequest, MatchingIsCaseSensitive) {
  const ToggleRequest begins{"Note", TitleSearch::kBeginsWith, kHide};
  const ToggleRequest contains{"pad", TitleSearch::kContains, kHide};
  const ToggleRequest empty{"", TitleSearch::kBeginsWith, kHide};
  EXPECT_TRUE(titleMatches("Notepad", begins));
  EXPECT_TRUE(titleMatches("Note", begins));
  EXPECT_FALSE(titleMatches("Not", begins));
  EXPECT_FALSE(titleMatches("notepad", begins));
  EXPECT_FALSE(titleMatches("My Notepad", begins));
  EXPECT_TRUE(titleMatches("My Notepad", contains));
  EXPECT_TRUE(titleMatches("pad", contains));
  EXPECT_FALSE(titleMatches("PAD", contains));
  EXPECT_TRUE(titleMatches("", empty));
  EXPECT_TRUE(titleMatches("anything", empty));
}

}  // namespace
}  // namespace brevan::wintoggle
