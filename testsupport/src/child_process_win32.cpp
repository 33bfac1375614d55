#include "testsupport/child_process_win32.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>

#include "testsupport/text.h"
#include "testsupport/wait.h"

namespace brevan::testsupport {

namespace {

constexpr DWORD kKillWaitMs = 5000;
constexpr std::chrono::milliseconds kFilePoll(50);

}  // namespace

std::string programDirectory() {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string full(path, n);
  return full.substr(0, full.find_last_of("\\/"));
}

std::string scratchPath(const std::string& name) {
  std::string path =
      programDirectory() + "\\test-" + std::to_string(GetCurrentProcessId()) + "-" + name;
  DeleteFileA(path.c_str());
  return path;
}

std::string uniqueId(const std::string& prefix) {
  return prefix + std::to_string(GetCurrentProcessId());
}

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& arguments) {
  const std::wstring path = widen(programDirectory() + "\\" + program);
  std::wstring command = L"\"" + path + L"\"";
  for (const auto& argument : arguments) command += L" \"" + widen(argument) + L"\"";
  start(path, command);
}

ChildProcess::ChildProcess(const std::wstring& application, const std::wstring& arguments) {
  start(application, L"\"" + application + L"\" " + arguments);
}

void ChildProcess::start(const std::wstring& application, std::wstring commandLine) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (CreateProcessW(application.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                     nullptr, &startup, &info)) {
    brevan::win32::ScopedHandle(info.hThread).close();
    process_.reset(info.hProcess);
  }
}

ChildProcess::~ChildProcess() { kill(); }

int ChildProcess::wait(DWORD limitMs) {
  if (!process_) return -1;
  if (WaitForSingleObject(process_.get(), limitMs) != WAIT_OBJECT_0) {
    kill();
    return -1;
  }
  DWORD code = 0;
  GetExitCodeProcess(process_.get(), &code);
  return static_cast<int>(code);
}

bool ChildProcess::running() const {
  return process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT;
}

void ChildProcess::kill() {
  if (running()) {
    TerminateProcess(process_.get(), 99);
    WaitForSingleObject(process_.get(), kKillWaitMs);
  }
}

std::vector<std::string> readLines(const std::string& path) {
  std::vector<std::string> lines;
  std::ifstream in(path);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

std::map<std::string, std::string> readReport(const std::string& path) {
  std::map<std::string, std::string> values;
  for (const auto& line : readLines(path)) {
    size_t space = line.find(' ');
    if (space != std::string::npos) values[line.substr(0, space)] = line.substr(space + 1);
  }
  return values;
}

bool waitForLine(const std::string& path, const std::string& line, DWORD limitMs) {
  return waitUntil(
      std::chrono::milliseconds(limitMs),
      [&] {
        const auto lines = readLines(path);
        return std::find(lines.begin(), lines.end(), line) != lines.end();
      },
      kFilePoll);
}

bool waitForFile(const std::string& path, DWORD limitMs) {
  return waitUntil(
      std::chrono::milliseconds(limitMs),
      [&] { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }, kFilePoll);
}

void touch(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "w");
  if (f) std::fclose(f);
}

}  // namespace brevan::testsupport
