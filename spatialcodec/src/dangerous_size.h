// The "Dangerous size" warning, shown when a compressed or decompressed result
// overshoots the caller's capacity by more than the working margin. Callers
// may rely on seeing it, so it stays; tests swap the notifier so that nothing
// waits for a user.
#pragma once

namespace brevan::spatial {

extern const char kDangerousSizeText[];     // "Dangerous size"
extern const char kDangerousSizeCaption[];  // "Dangerous Size"

using SizeNotifier = void (*)(const char* text, const char* caption);

// The platform's notifier: a message box on Windows (waits for OK), a line on
// standard error elsewhere.
void platformSizeNotifier(const char* text, const char* caption);

// Installs `notifier` (null restores the platform one); returns the previous one.
SizeNotifier setSizeNotifier(SizeNotifier notifier);

void notifyDangerousSize();

}  // namespace brevan::spatial
