// Running a helper program as a user would from a console: a command line as typed, a working
// directory, a time limit, and what it printed.
#pragma once

#include <windows.h>

#include <string>

namespace brevan::tools::testing {

struct ProgramRun {
  int exitCode = -1;   // -1 when it did not end within the limit (it is then killed)
  std::string output;  // its standard output, byte for byte
};

// `commandLine` is passed as it stands (the program's name first, as the user typed it).
ProgramRun runProgram(const std::wstring& program, const std::wstring& commandLine,
                      const std::wstring& directory, DWORD limitMs);

// A deliverable of this preset ("HiddenBatch.exe") as a Windows path.
std::wstring deliverable(const std::string& fileName);

// A test program built by CMake, given by its unix path.
std::wstring builtProgram(const std::string& unixPath);

// The record file that the recorder program writes when started from `path`.
std::string recordOf(const std::wstring& path);

// Creates the directory and every missing parent; true when it exists afterwards.
bool makeDirectories(const std::wstring& path);

// The file's contents, written whole; false when it cannot be.
bool writeText(const std::wstring& path, const std::string& text);

bool exists(const std::wstring& path);

}  // namespace brevan::tools::testing
