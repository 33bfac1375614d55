#include "panel_window_win32.h"

#include <commctrl.h>

#include <chrono>

#include "panel_resources.h"
#include "testsupport/wait.h"

namespace brevan::statuspanel::testing {

namespace {

constexpr UINT kAnswerLimitMs = 300;

struct Search {
  DWORD processId;
  const wchar_t* className;
  const wchar_t* caption;
  HWND found = nullptr;
};

BOOL CALLBACK matchWindow(HWND window, LPARAM lParam) {
  auto& search = *reinterpret_cast<Search*>(lParam);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  wchar_t className[64] = {};
  wchar_t caption[128] = {};
  GetClassNameW(window, className, 64);
  GetWindowTextW(window, caption, 128);
  if ((search.processId == 0 || owner == search.processId) && IsWindowVisible(window) &&
      wcscmp(className, search.className) == 0 && wcscmp(caption, search.caption) == 0) {
    search.found = window;
    return FALSE;
  }
  return TRUE;
}

std::optional<LRESULT> ask(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kAnswerLimitMs,
                           &result)) {
    return std::nullopt;
  }
  return LRESULT(result);
}

}  // namespace

std::string utf8(const std::wstring& text) {
  const int size =
      WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(size_t(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), out.data(), size, nullptr,
                      nullptr);
  return out;
}

HWND findTopWindow(DWORD processId, const wchar_t* className, const wchar_t* caption) {
  Search search{processId, className, caption};
  EnumWindows(matchWindow, LPARAM(&search));
  return search.found;
}

HWND waitForTopWindow(DWORD processId, const wchar_t* className, const wchar_t* caption,
                      DWORD limitMs) {
  HWND found = nullptr;
  brevan::testsupport::waitUntil(std::chrono::milliseconds(limitMs), [&] {
    return (found = findTopWindow(processId, className, caption)) != nullptr;
  });
  return found;
}

HWND waitForPanel(DWORD processId, DWORD limitMs) {
  return waitForTopWindow(processId, L"#32770", L"Brevan", limitMs);
}

std::optional<std::wstring> windowText(HWND window) {
  const auto length = ask(window, WM_GETTEXTLENGTH, 0, 0);
  if (!length) return std::nullopt;
  std::wstring text(size_t(*length) + 1, L'\0');
  const auto copied = ask(window, WM_GETTEXT, WPARAM(text.size()), LPARAM(text.data()));
  if (!copied) return std::nullopt;
  text.resize(size_t(*copied));
  return text;
}

std::optional<std::wstring> statusText(HWND panel) {
  return windowText(GetDlgItem(panel, IDC_STATUS_TEXT));
}

std::optional<int> progressPosition(HWND panel) {
  const auto position = ask(GetDlgItem(panel, IDC_PROGRESS), PBM_GETPOS, 0, 0);
  if (!position) return std::nullopt;
  return int(*position);
}

std::optional<std::pair<int, int>> progressRange(HWND panel) {
  const HWND bar = GetDlgItem(panel, IDC_PROGRESS);
  const auto low = ask(bar, PBM_GETRANGE, TRUE, 0);
  const auto high = ask(bar, PBM_GETRANGE, FALSE, 0);
  if (!low || !high) return std::nullopt;
  return std::make_pair(int(*low), int(*high));
}

}  // namespace brevan::statuspanel::testing
