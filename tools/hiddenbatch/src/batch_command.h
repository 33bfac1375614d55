// What HiddenBatch makes of its own command line: the interpreter's parameters and the working
// directory, or nothing when the usage text is due.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace brevan::hiddenbatch {

struct BatchCommand {
  std::u16string parameters;               // "/c " and the command
  std::optional<std::u16string> directory;  // none: the current directory
};

// `rawLine` is the whole command line, the program's own name first. Nothing when no command
// is given.
std::optional<BatchCommand> parseBatchCommandLine(std::u16string_view rawLine);

// A token's ends without the enclosing quote and space: a double quote, a space, a double quote
// and a space are dropped in this order at the start where present, then the same at the end.
std::u16string trimToken(std::u16string_view token);

// The nine lines, each ending in CR LF.
extern const char kUsageText[];

}  // namespace brevan::hiddenbatch
