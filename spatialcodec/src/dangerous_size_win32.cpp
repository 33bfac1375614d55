#include <windows.h>

#include "dangerous_size.h"

namespace brevan::spatial {

void platformSizeNotifier(const char* text, const char* caption) {
  MessageBoxA(nullptr, text, caption, MB_OK);
}

}  // namespace brevan::spatial
