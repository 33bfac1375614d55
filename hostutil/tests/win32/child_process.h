#pragma once

#include <windows.h>

#include <string>

#include "winhelpers/handles.h"

namespace hostutil::testing {

// A process the test started; terminated when the test lets go of it early.
class ChildProcess {
 public:
  ChildProcess(const std::wstring& application, const std::wstring& arguments) {
    std::wstring commandLine = L"\"" + application + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (CreateProcessW(application.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                       nullptr, nullptr, &startup, &info)) {
      brevan::win32::ScopedHandle(info.hThread).close();
      process_.reset(info.hProcess);
    }
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  ~ChildProcess() {
    if (!process_) return;
    if (WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
      TerminateProcess(process_.get(), 99);
      WaitForSingleObject(process_.get(), 5000);
    }
  }

  bool started() const { return bool(process_); }

  // The exit status, or -1 when the process did not end within the time.
  long exitCode(DWORD timeoutMs) const {
    if (!process_ || WaitForSingleObject(process_.get(), timeoutMs) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(process_.get(), &code);
    return long(code);
  }

  void terminate() {
    TerminateProcess(process_.get(), 98);
    WaitForSingleObject(process_.get(), 5000);
  }

 private:
  brevan::win32::ScopedHandle process_;
};

inline std::wstring widened(const std::string& text) { return std::wstring(text.begin(), text.end()); }

}  // namespace hostutil::testing
