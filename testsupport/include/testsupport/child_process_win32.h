// Windows test helpers: child processes with a time limit (killed when the test lets go of
// them), scratch files and ids named after this process, and report files of "key value" lines.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "winhelpers/handles.h"

namespace brevan::testsupport {

// Directory of the running test executable (a Windows path), where the helper programs live.
std::string programDirectory();

// "<program dir>\test-<pid>-<name>", removed first if it exists.
std::string scratchPath(const std::string& name);

// A channel or client id unique to this process: "<prefix><pid>".
std::string uniqueId(const std::string& prefix);

class ChildProcess {
 public:
  // Starts <program dir>\<program> with the arguments, each quoted.
  ChildProcess(const std::string& program, const std::vector<std::string>& arguments);
  // Starts the program at `application` with an argument text as it stands.
  ChildProcess(const std::wstring& application, const std::wstring& arguments);
  ~ChildProcess();  // kills a child that still runs
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool started() const { return bool(process_); }
  // Exit code, or -1 when the child did not end within the limit (it is then killed).
  int wait(DWORD limitMs);
  bool running() const;
  void kill();

 private:
  void start(const std::wstring& application, std::wstring commandLine);
  brevan::win32::ScopedHandle process_;
};

std::vector<std::string> readLines(const std::string& path);
// Values of "key value" lines; the last one of each key wins.
std::map<std::string, std::string> readReport(const std::string& path);
bool waitForLine(const std::string& path, const std::string& line, DWORD limitMs);
bool waitForFile(const std::string& path, DWORD limitMs);
void touch(const std::string& path);

}  // namespace brevan::testsupport
