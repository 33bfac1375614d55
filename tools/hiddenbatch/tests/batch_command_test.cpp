#include "batch_command.h"

#include <gtest/gtest.h>

#include <string>

namespace brevan::hiddenbatch {
namespace {

struct Case {
  std::u16string line;
  std::u16string parameters;  // empty: the usage text is due
  std::u16string directory;   // empty: the current directory
};

TEST(BatchCommand, CommandAndDirectoryFromTheCommandLine) {
  const Case cases[] = {
      {u"HiddenBatch", u"", u""},
      {u"HiddenBatch   ", u"", u""},
      {u"HiddenBatch \"\"", u"", u""},
      {u"HiddenBatch \" \" C:\\dir", u"", u""},  // empty after trimming: missing
      {u"HiddenBatch setup.bat", u"/c setup.bat", u""},
      {u"\"C:\\Program Files\\Brevan\\HiddenBatch.exe\" setup.bat", u"/c setup.bat", u""},
      // The example of the usage text.
      {u"HiddenBatch.exe \"myBatch.bat 'c:\\Program Files\\MyApp'\" \"c:\\Program Files\\MyApp\"",
       u"/c myBatch.bat \"c:\\Program Files\\MyApp\"", u"c:\\Program Files\\MyApp"},
      // Two spaces are one separator, not an empty command.
      {u"HiddenBatch  run.bat  C:\\work", u"/c run.bat", u"C:\\work"},
      // An unquoted directory ends at its first space.
      {u"HiddenBatch run.bat C:\\Program Files", u"/c run.bat", u"C:\\Program"},
      // Ends trimmed: quote, space, quote, space at the start, the same at the end.
      {u"HiddenBatch \"\" x \"\"", u"", u""},
      {u"HiddenBatch \"\"\" a \"\"\"", u"/c \" a \"", u""},
      {u"HiddenBatch \" a b \"", u"/c a b", u""},
      {u"HiddenBatch it's", u"/c it\"s", u""},
  };
  for (const Case& c : cases) {
    const auto command = parseBatchCommandLine(c.line);
    const std::string label(c.line.begin(), c.line.end());
    if (c.parameters.empty()) {
      EXPECT_FALSE(command) << label;
      continue;
    }
    ASSERT_TRUE(command) << label;
    EXPECT_EQ(command->parameters, c.parameters) << label;
    EXPECT_EQ(command->directory.value_or(u""), c.directory) << label;
  }
}

TEST(BatchCommand, TrimsOnlyTheMarksInTheirOrder) {
  EXPECT_EQ(trimToken(u"\""), u"");
  EXPECT_EQ(trimToken(u"\" \" \""), u"");
  EXPECT_EQ(trimToken(u"  a  "), u"a");  // each space mark takes one
  EXPECT_EQ(trimToken(u"\"\"a\"\""), u"a");
  EXPECT_EQ(trimToken(u" \"a\" "), u"a");  // no leading quote: the space, then the quote
}

// Input of any length is taken whole; nothing is cut to a fixed buffer.
TEST(BatchCommand, LongCommandsAndDirectoriesStayWhole) {
  for (size_t length : {1u, 255u, 511u, 512u, 513u, 4096u, 40000u}) {
    const std::u16string command(length, u'c');
    const std::u16string directory = u"C:\\" + std::u16string(length, u'd');
    const auto parsed = parseBatchCommandLine(u"HiddenBatch \"" + command + u"\" " + directory);
    ASSERT_TRUE(parsed) << length;
    EXPECT_EQ(parsed->parameters, u"/c " + command) << length;
    EXPECT_EQ(parsed->directory.value_or(u""), directory) << length;
  }
}

TEST(BatchCommand, UsageTextIsNineLinesEndingInCrLf) {
  const std::string usage = kUsageText;
  size_t lines = 0;
  for (size_t at = 0; (at = usage.find('\n', at)) != std::string::npos; ++at, ++lines) {
    EXPECT_EQ(usage[at - 1], '\r');
  }
  EXPECT_EQ(lines, 9u);
  EXPECT_EQ(usage.back(), '\n');
  EXPECT_NE(usage.find("Example: HiddenBatch.exe \"myBatch.bat 'c:\\Program Files\\MyApp'\" "
                       "\"c:\\Program Files\\MyApp\"\r\n will launch myBatch.bat "
                       "\"c:\\Program Files\\MyApp\"\r\n"),
            std::string::npos);
}

}  // namespace
}  // namespace brevan::hiddenbatch
