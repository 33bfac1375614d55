// Reading the panel's dialog from another process, as a user would see it.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <utility>

namespace brevan::statuspanel::testing {

std::string utf8(const std::wstring& text);

// The visible top-level window of `processId` (any process when 0) with this class and caption.
HWND findTopWindow(DWORD processId, const wchar_t* className, const wchar_t* caption);
// The same, waited for up to `limitMs`.
HWND waitForTopWindow(DWORD processId, const wchar_t* className, const wchar_t* caption,
                      DWORD limitMs);
// The panel's dialog ("Brevan").
HWND waitForPanel(DWORD processId, DWORD limitMs);

// Answers of the window's thread, or none when it does not answer within a short while (the
// panel's thread sleeps while it signals the product).
std::optional<std::wstring> windowText(HWND window);
std::optional<std::wstring> statusText(HWND panel);
std::optional<int> progressPosition(HWND panel);
std::optional<std::pair<int, int>> progressRange(HWND panel);

}  // namespace brevan::statuspanel::testing
