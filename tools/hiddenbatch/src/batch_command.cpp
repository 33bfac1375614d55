#include "batch_command.h"

#include <vector>

#include "command_tokens.h"

namespace brevan::hiddenbatch {

namespace {

constexpr size_t kCommandToken = 1;    // after the program's own name
constexpr size_t kDirectoryToken = 2;

constexpr char16_t kEndMarks[] = {u'"', u' ', u'"', u' '};

// The token at `index`, trimmed; nothing when missing or empty after trimming.
std::optional<std::u16string> tokenAt(const std::vector<tools::CommandToken<char16_t>>& tokens,
                                      size_t index) {
  if (index >= tokens.size()) return std::nullopt;
  std::u16string text = trimToken(tokens[index].text);
  if (text.empty()) return std::nullopt;
  return text;
}

}  // namespace

std::u16string trimToken(std::u16string_view token) {
  for (char16_t mark : kEndMarks) {
    if (!token.empty() && token.front() == mark) token.remove_prefix(1);
  }
  for (char16_t mark : kEndMarks) {
    if (!token.empty() && token.back() == mark) token.remove_suffix(1);
  }
  return std::u16string(token);
}

std::optional<BatchCommand> parseBatchCommandLine(std::u16string_view rawLine) {
  const auto tokens = tools::splitCommandLine(rawLine, std::u16string_view(u"\""));
  std::optional<std::u16string> command = tokenAt(tokens, kCommandToken);
  if (!command) return std::nullopt;
  // Single quotes stand for the double quotes that could not be written inside the token.
  for (char16_t& c : *command) {
    if (c == u'\'') c = u'"';
  }
  return BatchCommand{u"/c " + *command, tokenAt(tokens, kDirectoryToken)};
}

const char kUsageText[] =
    "HiddenBatch batchFileName.bat [workingDirectory]\r\n"
    "HiddenBatch launches the batch file as a separate process.\r\n"
    "HiddenBatch launches the batch file hidden so no console window is seen.\r\n"
    "batchFileName.bat: can be a file name or a full path.\r\n"
    "workingDirectory: optional parameter to specify working directory.\r\n"
    "Either parameter may be enclosed in quotes so the spaces in the path will not break apart a "
    "single parameter.\r\n"
    "If quotes are needed for a parameter of the batch file, single quotes can be substituted.\r\n"
    "Example: HiddenBatch.exe \"myBatch.bat 'c:\\Program Files\\MyApp'\" \"c:\\Program "
    "Files\\MyApp\"\r\n"
    " will launch myBatch.bat \"c:\\Program Files\\MyApp\"\r\n";

}  // namespace brevan::hiddenbatch
