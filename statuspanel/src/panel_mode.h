// Start or stop: decided from the panel's own command line.
#pragma once

#include <string_view>

namespace brevan::statuspanel {

// The arguments after the program name, split off as the C run-time splits the first one: a
// quoted name runs to the closing quote, a bare one to the first blank.
std::u16string_view argumentsAfterProgram(std::u16string_view commandLine);

// Start mode when "start" (case-sensitive, anywhere, even inside a word) is in the arguments.
// The program name is not searched: a panel installed under a path holding "start" would
// otherwise turn every stop into a start.
bool isStartMode(std::u16string_view commandLine);

}  // namespace brevan::statuspanel
