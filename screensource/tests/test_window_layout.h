// What the test window program shows, shared by the program and the tests that capture it: a
// topmost borderless window whose area is all client, with a block in its top left corner and
// a child window, each in a colour of its own, over a backdrop of another. The size is no
// multiple of a tile.
#pragma once

#include <cstdint>
#include <string>

namespace brevan::screensource::test {

constexpr int kWindowLeft = 40, kWindowTop = 60, kWindowWidth = 200, kWindowHeight = 150;
constexpr int kBlockRight = 100, kBlockBottom = 75;  // from the window's top left corner
constexpr int kChildLeft = 120, kChildTop = 80, kChildWidth = 60, kChildHeight = 50;

// Pixels as grabbed: 0x00RRGGBB.
constexpr uint32_t kWindowColour = 0x00C83228;
constexpr uint32_t kBlockColour = 0x0028A050;
constexpr uint32_t kChildColour = 0x003040E0;
// An untitled window behind, reaching a tile past the window, so its edges border colour.
constexpr int kBackdropRight = kWindowLeft + kWindowWidth + 64;
constexpr int kBackdropBottom = kWindowTop + kWindowHeight + 64;
constexpr uint32_t kBackdropColour = 0x00E0D010;

// Posted to the test window: wParam 1 shows the busy cursor over it, 0 its class cursor again.
constexpr unsigned kShowBusyCursor = 0x8000 + 1;  // WM_APP + 1

// Titles end with a tag the test chooses, so that runs side by side find their own windows.
inline std::wstring windowTitlePrefix() { return L"Br\u00e9van Fenster \u00fc "; }
inline std::wstring childTitlePrefix() { return L"Kindfenster \u00f6 "; }

}  // namespace brevan::screensource::test
