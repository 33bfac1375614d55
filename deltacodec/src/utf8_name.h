// UTF-16 to UTF-8 for file names. A lone surrogate becomes '?', as the Java runtime itself writes
// such a name on a UTF-8 system, so that a file Java created under that name is found.
#pragma once

#include <string>

namespace brevan::delta {

std::string utf8Name(const std::u16string& name);

}  // namespace brevan::delta
