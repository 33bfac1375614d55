#include "panel_mode.h"

namespace brevan::statuspanel {

namespace {

bool isBlank(char16_t c) { return c == u' ' || c == u'\t'; }

}  // namespace

std::u16string_view argumentsAfterProgram(std::u16string_view commandLine) {
  size_t end = 0;
  if (!commandLine.empty() && commandLine[0] == u'"') {
    const size_t close = commandLine.find(u'"', 1);
    end = close == std::u16string_view::npos ? commandLine.size() : close + 1;
  } else {
    while (end < commandLine.size() && !isBlank(commandLine[end])) ++end;
  }
  return commandLine.substr(end);
}

bool isStartMode(std::u16string_view commandLine) {
  return argumentsAfterProgram(commandLine).find(u"start") != std::u16string_view::npos;
}

}  // namespace brevan::statuspanel
