#include <windows.h>

#include "station_name.h"
#include "system_backends.h"
#include "winhelpers/handles.h"
#include "winhelpers/wide_text.h"

namespace brevan::hostutil {

namespace win32 = brevan::win32;

using win32::boundEntry;
using win32::ScopedHandle;
using win32::ScopedModule;

namespace {

// TOKEN_ALL_ACCESS as the Windows 2000 headers define it.
constexpr DWORD kTokenAllAccess = 0xF01FF;
// CREATE_BREAKAWAY_FROM_JOB | DETACHED_PROCESS
constexpr DWORD kLaunchFlags = 0x1000008;
constexpr DWORD kWtsCurrentSession = DWORD(-1);
constexpr int kWtsSessionIdClass = 4;  // WTSSessionId

using ActiveConsoleSessionFn = DWORD(WINAPI*)();
using QuerySessionInformationFn = BOOL(WINAPI*)(HANDLE, DWORD, int, LPWSTR*, DWORD*);
using FreeMemoryFn = void(WINAPI*)(PVOID);

bool isWindows2000() {
  static const bool is2000 = [] {
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof(version);
    return GetVersionExW(&version) && version.dwMajorVersion == 5 && version.dwMinorVersion == 0;
  }();
  return is2000;
}

}  // namespace

int32_t activeConsoleSessionId() {
  const ScopedModule kernel(LoadLibraryW(L"kernel32"));
  if (!kernel) return 0;
  const auto query =
      boundEntry<ActiveConsoleSessionFn>(kernel.get(), "WTSGetActiveConsoleSessionId");
  return query ? int32_t(query()) : 0;
}

int64_t processSessionId() {
  if (isWindows2000()) return 0;
  const ScopedModule wts(LoadLibraryW(L"wtsapi32"));
  if (!wts) return 0;
  const auto query =
      boundEntry<QuerySessionInformationFn>(wts.get(), "WTSQuerySessionInformationW");
  const auto release = boundEntry<FreeMemoryFn>(wts.get(), "WTSFreeMemory");
  LPWSTR buffer = nullptr;
  DWORD bytes = 0;
  int32_t session = 0;
  if (query && query(nullptr, kWtsCurrentSession, kWtsSessionIdClass, &buffer, &bytes) && buffer) {
    if (bytes >= sizeof(DWORD)) session = *reinterpret_cast<const int32_t*>(buffer);
    if (release) release(buffer);
  }
  return session;
}

int processWindowStationNumber() {
  wchar_t name[1024] = {};  // 2048 bytes
  DWORD needed = 0;
  if (GetUserObjectInformationW(GetProcessWindowStation(), UOI_NAME, name, sizeof(name), &needed) !=
      1) {
    return -1;
  }
  name[1023] = L'\0';
  return windowStationNumber(win32::fromWide(name));
}

bool createProcessInConsoleSession(const std::u16string& application,
                                   const std::optional<std::u16string>& arguments) {
  HANDLE opened = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), kTokenAllAccess, &opened)) return false;
  ScopedHandle processToken(opened);
  HANDLE duplicated = nullptr;
  const BOOL duplicatedOk = DuplicateTokenEx(processToken.get(), kTokenAllAccess, nullptr,
                                             SecurityDelegation, TokenPrimary, &duplicated);
  processToken.reset();
  if (!duplicatedOk) return false;
  ScopedHandle token(duplicated);

  DWORD session = DWORD(activeConsoleSessionId());
  SetTokenInformation(token.get(), TokenSessionId, &session, sizeof(session));

  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  wchar_t desktop[] = L"winsta0\\default";
  startup.lpDesktop = desktop;

  // The program's first argument is the argument text; without one it gets the lone space.
  std::u16string commandLine = u" " + arguments.value_or(std::u16string());
  PROCESS_INFORMATION process{};
  if (!CreateProcessAsUserW(token.get(), win32::wide(application),
                            reinterpret_cast<wchar_t*>(commandLine.data()), nullptr, nullptr, FALSE,
                            kLaunchFlags, nullptr, nullptr, &startup, &process)) {
    return false;
  }
  ScopedHandle(process.hThread).close();
  ScopedHandle(process.hProcess).close();
  return true;
}

}  // namespace brevan::hostutil
