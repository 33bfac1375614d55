#pragma once

#include <windows.h>

#include <string>

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
      CloseHandle(info.hThread);
      process_ = info.hProcess;
    }
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  ~ChildProcess() {
    if (process_ == nullptr) return;
    if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
      TerminateProcess(process_, 99);
      WaitForSingleObject(process_, 5000);
    }
    CloseHandle(process_);
  }

  bool started() const { return process_ != nullptr; }

  // The exit status, or -1 when the process did not end within the time.
  long exitCode(DWORD timeoutMs) const {
    if (process_ == nullptr || WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    return long(code);
  }

  void terminate() {
    TerminateProcess(process_, 98);
    WaitForSingleObject(process_, 5000);
  }

 private:
  HANDLE process_ = nullptr;
};

inline std::wstring widened(const std::string& text) { return std::wstring(text.begin(), text.end()); }

}  // namespace hostutil::testing
