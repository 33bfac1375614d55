// The input injector's way to the system: user32 injection, the cursor, key states and the
// thread desktop.
#pragma once

#include "input_backend.h"

namespace brevan::screensource::win32 {

InputBackend& systemInputBackend();

}  // namespace brevan::screensource::win32
