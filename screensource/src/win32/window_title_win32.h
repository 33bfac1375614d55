// A window's title as UTF-16 text, read so that a hung window cannot stall the reader.
#pragma once

#include <windows.h>

#include <string>

namespace brevan::screensource::win32 {

// At most 255 characters. A window of another process gives the title the system keeps; one of
// this process is asked with a bounded WM_GETTEXT, and one that does not answer in time reads
// as untitled.
std::wstring windowTitle(HWND window);

}  // namespace brevan::screensource::win32
