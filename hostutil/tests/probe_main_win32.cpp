// Helper process of the HostUtil tests. What it does depends on its command line and
// environment:
//   HOSTUTIL_PROBE_CMDLINE_OUT=<file>  writes its command line (UTF-16) to the file and exits 0;
//   "... linger"                       stays alive for 60 s (an image name for the snapshot);
//   "... ready"                        loads HostUtil.dll and exits with 1 when the service-ready
//                                      flag is set, 0 when not, 2 when the export is missing;
//   "... ipcclient ID"                 opens a client channel ID through HostUtil.dll and waits
//                                      30 s, then exits 5 (the router is to end it sooner).
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include <jni.h>

#include "jnitest/fake_jvm.h"
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
    // Never unloaded: the library's process-wide threads run until the process ends.
    static brevan::jnitest::Library* library = new brevan::jnitest::Library("HostUtil");
    auto get = library->get<jboolean(JNICALL*)(JNIEnv*, jclass)>(
        "Java_zemtra_nativeCode_HostUtil_getServiceReadyForClientToStart");
    return get(nullptr, nullptr) ? 1 : 0;
  } catch (...) {
    return 2;
  }
}

int ipcClient(const std::wstring& id) {
  try {
    static brevan::jnitest::FakeJvm jvm;
    static brevan::jnitest::Library* library = new brevan::jnitest::Library("HostUtil");
    auto create = library->get<jlong(JNICALL*)(JNIEnv*, jclass, jstring, jint)>(
        "Java_zemtra_nativeCode_HostUtil_ipcChannelCreateNew");
    if (create(jvm.env(), nullptr, jvm.newString(std::u16string(id.begin(), id.end())), 1) == 0) {
      return 6;
    }
    Sleep(30000);
    return 5;
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
  const size_t client = line.find(L"ipcclient ");
  if (client != std::wstring::npos) return ipcClient(line.substr(client + 10));
  return 4;
}
