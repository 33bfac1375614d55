// Whole files as byte vectors, for tests that hand files to tools and read back what they wrote.
#pragma once

#include <string>

#include "testsupport/bytes.h"

namespace brevan::testsupport {

// Empty when the file cannot be read.
Bytes readFile(const std::string& path);
// False when the file cannot be written.
bool writeFile(const std::string& path, const Bytes& bytes);

}  // namespace brevan::testsupport
