// Hosts without a desktop get the warning on standard error.
#include <cstdio>

#include "dangerous_size.h"

namespace brevan::spatial {

void platformSizeNotifier(const char* text, const char*) { std::fprintf(stderr, "%s\n", text); }

}  // namespace brevan::spatial
