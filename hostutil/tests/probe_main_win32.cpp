// Helper process of the HostUtil tests. What it does depends on its command line and
// environment:
//   HOSTUTIL_PROBE_CMDLINE_OUT=<file>  writes its command line (UTF-16) to the file and exits 0;
//   "... linger"                       stays alive for 60 s (an image name for the snapshot);
//   "... ready"                        loads HostUtil.dll and exits with 1 when the service-ready
//                                      flag is set, 0 when not, 2 when the export is missing.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include <jni.h>

#include "jnitest/library.h"

namespace {

int writeCommandLine(const wchar_t* file) {
  FILE* out = _wfopen(file, L"wb");
  if (out == nullptr) return 3;
  const wchar_t* line = GetCommandLineW();
  std::fwrite(line, sizeof(wchar_t), std::wcslen(line), out);
  std::fclose(out);
  return 0;
}

int readyFlag() {
  try {
    jnitest::Library library("HostUtil");
    auto get = library.get<jboolean(JNICALL*)(JNIEnv*, jclass)>(
        "Java_zemtra_nativeCode_HostUtil_getServiceReadyForClientToStart");
    return get(nullptr, nullptr) ? 1 : 0;
  } catch (...) {
    return 2;
  }
}

}  // namespace

int main() {
  wchar_t out[MAX_PATH] = {};
  if (GetEnvironmentVariableW(L"HOSTUTIL_PROBE_CMDLINE_OUT", out, MAX_PATH) > 0) {
    return writeCommandLine(out);
  }
  const std::wstring line = GetCommandLineW();
  if (line.find(L"linger") != std::wstring::npos) {
    Sleep(60000);
    return 0;
  }
  if (line.find(L"ready") != std::wstring::npos) return readyFlag();
  return 4;
}
