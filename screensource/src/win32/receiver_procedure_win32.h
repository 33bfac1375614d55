// The window procedure of the hidden receiver: turns the hooks' reports into events of the
// target source.
#pragma once

#include <windows.h>

namespace brevan::screensource::win32 {

LRESULT CALLBACK receiverProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace brevan::screensource::win32
