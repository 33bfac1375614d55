// HiddenBatch: hands a command to the system's command interpreter in a hidden window and returns
// without waiting for it.
#include <windows.h>
#include <shellapi.h>

#include <cstring>
#include <string>

#include "batch_command.h"
#include "winhelpers/wide_text.h"

namespace {

constexpr int kHandedToShell = 0;
constexpr int kUsagePrinted = 1;

// The interpreter of the system directory, never one that happens to lie in the working
// directory or on the search path.
std::wstring systemInterpreter() {
  const UINT size = GetSystemDirectoryW(nullptr, 0);
  std::wstring directory(size, L'\0');
  const UINT length = GetSystemDirectoryW(directory.data(), size);
  directory.resize(length < size ? length : 0);
  return directory + L"\\cmd.exe";
}

// The text exactly as it stands, line ends included, whatever the output is.
void printUsage() {
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), brevan::hiddenbatch::kUsageText,
            DWORD(std::strlen(brevan::hiddenbatch::kUsageText)), &written, nullptr);
}

}  // namespace

int main() {
  using brevan::win32::asUtf16;
  using brevan::win32::wide;
  const auto command = brevan::hiddenbatch::parseBatchCommandLine(asUtf16(GetCommandLineW()));
  if (!command) {
    printUsage();
    return kUsagePrinted;
  }
  const std::wstring interpreter = systemInterpreter();
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
  info.lpVerb = L"open";
  info.lpFile = interpreter.c_str();
  info.lpParameters = wide(command->parameters);
  info.lpDirectory = command->directory ? wide(*command->directory) : nullptr;
  info.nShow = SW_HIDE;
  ShellExecuteExW(&info);  // a command that cannot start shows nothing either way
  return kHandedToShell;
}
