#include "program_run_win32.h"

#include <thread>

#include "jnitest/library.h"
#include "testsupport/text.h"
#include "winhelpers/handles.h"

namespace brevan::tools::testing {

namespace {

using win32::ScopedHandle;

// The read end of a pipe drained on a thread, so that a chatty child never blocks on it.
class OutputCatcher {
 public:
  OutputCatcher() {
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    CreatePipe(read_.receive(), write_.receive(), &inheritable, 0);
    SetHandleInformation(read_.get(), HANDLE_FLAG_INHERIT, 0);
  }
  HANDLE childEnd() const { return write_.get(); }
  void startReading() {
    write_.close();  // the child holds the only write end now
    reader_ = std::thread([this] {
      char buffer[4096];
      DWORD got = 0;
      while (ReadFile(read_.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) {
        text_.append(buffer, got);
      }
    });
  }
  std::string finish() {
    if (reader_.joinable()) reader_.join();
    return text_;
  }

 private:
  ScopedHandle read_;
  ScopedHandle write_;
  std::thread reader_;
  std::string text_;
};

}  // namespace

ProgramRun runProgram(const std::wstring& program, const std::wstring& commandLine,
                      const std::wstring& directory, DWORD limitMs) {
  OutputCatcher output;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = output.childEnd();
  startup.hStdError = output.childEnd();
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  std::wstring line = commandLine;
  PROCESS_INFORMATION info{};
  ProgramRun run;
  if (!CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                      directory.empty() ? nullptr : directory.c_str(), &startup, &info)) {
    return run;
  }
  ScopedHandle process(info.hProcess);
  ScopedHandle(info.hThread).close();
  output.startReading();
  if (WaitForSingleObject(process.get(), limitMs) == WAIT_OBJECT_0) {
    DWORD code = 0;
    GetExitCodeProcess(process.get(), &code);
    run.exitCode = int(code);
  } else {
    TerminateProcess(process.get(), 99);
    WaitForSingleObject(process.get(), INFINITE);
  }
  run.output = output.finish();
  return run;
}

std::wstring deliverable(const std::string& fileName) {
  return builtProgram(jnitest::distDirectory() + "/" + fileName);
}

std::wstring builtProgram(const std::string& unixPath) {
  return testsupport::widen(jnitest::windowsPathOf(unixPath));
}

std::string recordOf(const std::wstring& path) {
  return std::string(path.begin(), path.end()) + ".record";
}

bool makeDirectories(const std::wstring& path) {
  const size_t parent = path.find_last_of(L'\\');
  if (parent != std::wstring::npos && parent > 2) makeDirectories(path.substr(0, parent));
  CreateDirectoryW(path.c_str(), nullptr);
  return exists(path);
}

bool writeText(const std::wstring& path, const std::string& text) {
  ScopedHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  return file && WriteFile(file.get(), text.data(), DWORD(text.size()), &written, nullptr) &&
         written == text.size();
}

bool exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace brevan::tools::testing
