#include "win32/desktop_retry_win32.h"

#include <string>
#include <vector>

namespace brevan::screensource::win32 {

namespace {

BOOL CALLBACK collectName(LPSTR name, LPARAM names) {
  auto& list = *reinterpret_cast<std::vector<std::string>*>(names);
  list.emplace_back(name);
  return list.size() < size_t(DesktopRetry::kMaxDesktops);
}

std::vector<std::string> desktopNames() {
  std::vector<std::string> names;
  EnumDesktopsA(GetProcessWindowStation(), collectName, reinterpret_cast<LPARAM>(&names));
  return names;
}

HDESK threadDesktop() { return GetThreadDesktop(GetCurrentThreadId()); }

}  // namespace

DesktopRetry::~DesktopRetry() {
  if (current_ && threadDesktop() == current_.get()) SetThreadDesktop(original_);
}

bool DesktopRetry::switchTo(HDESK desktop) {
  if (!original_) original_ = threadDesktop();
  return SetThreadDesktop(desktop) != FALSE;
}

bool DesktopRetry::retry(const std::function<bool()>& attempt) {
  const HDESK before = threadDesktop();
  for (const std::string& name : desktopNames()) {
    brevan::win32::ScopedDesktop desktop(OpenDesktopA(name.c_str(), 0, FALSE, kDesktopAccess));
    if (!desktop || !switchTo(desktop.get())) continue;
    if (attempt()) {
      current_ = std::move(desktop);  // the previous one, if any, is no longer in use
      return true;
    }
    SetThreadDesktop(before);  // a desktop the thread uses cannot be closed
  }
  return false;
}

}  // namespace brevan::screensource::win32
