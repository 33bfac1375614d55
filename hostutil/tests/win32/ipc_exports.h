#pragma once

// The seven channel exports of HostUtil.dll and the Java callback they deliver to, for tests.

#include <windows.h>

#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "jnitest/fake_jvm.h"
#include "jnitest/library.h"

namespace brevan::hostutil::testing {

class IpcExports {
 public:
  explicit IpcExports(brevan::jnitest::Library& library)
      : createNew(
            get<jlong(JNICALL*)(JNIEnv*, jclass, jstring, jint)>(library, "ipcChannelCreateNew")),
        postData(get<jboolean(JNICALL*)(JNIEnv*, jclass, jlong, jstring)>(library,
                                                                          "ipcChannelPostData")),
        getId(get<jstring(JNICALL*)(JNIEnv*, jclass, jlong)>(library, "ipcChannelGetID")),
        readyToTalk(
            get<jboolean(JNICALL*)(JNIEnv*, jclass, jlong)>(library, "ipcChannelReadyToTalk")),
        disconnectAndRebuild(get<jboolean(JNICALL*)(JNIEnv*, jclass, jlong)>(
            library, "ipcChannelDisconnectAndRebuild")),
        closeExisting(
            get<jboolean(JNICALL*)(JNIEnv*, jclass, jlong)>(library, "ipcChannelCloseExisting")),
        shutdown(get<jboolean(JNICALL*)(JNIEnv*, jclass, jlong)>(library, "ipcChannelShutdown")) {}

  jlong(JNICALL* createNew)(JNIEnv*, jclass, jstring, jint);
  jboolean(JNICALL* postData)(JNIEnv*, jclass, jlong, jstring);
  jstring(JNICALL* getId)(JNIEnv*, jclass, jlong);
  jboolean(JNICALL* readyToTalk)(JNIEnv*, jclass, jlong);
  jboolean(JNICALL* disconnectAndRebuild)(JNIEnv*, jclass, jlong);
  jboolean(JNICALL* closeExisting)(JNIEnv*, jclass, jlong);
  jboolean(JNICALL* shutdown)(JNIEnv*, jclass, jlong);

 private:
  template <class Function>
  static Function get(brevan::jnitest::Library& library, const char* method) {
    return library.nativeMethod<Function>("HostUtil", method);
  }
};

// Records every call of HostUtil.ipcSendReceivedDataToAllListeners.
class Deliveries {
 public:
  explicit Deliveries(brevan::jnitest::FakeJvm& jvm) : jvm_(jvm) {
    jvm.registerStaticMethod("zemtra/nativeCode/HostUtil", "ipcSendReceivedDataToAllListeners",
                             "(JLjava/lang/String;)V", [this](const std::vector<jvalue>& args) {
                               std::lock_guard<std::mutex> lock(mutex_);
                               received_.emplace_back(
                                   args[0].j, jvm_.stringValue(static_cast<jstring>(args[1].l)));
                             });
  }

  void clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    received_.clear();
  }

  std::vector<std::pair<jlong, std::u16string>> received() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return received_;
  }

  // Waits until some delivery's text contains the fragment; false after the time limit.
  bool waitFor(jlong channel, const std::u16string& fragment, DWORD timeoutMs = 10000) const {
    for (DWORD waited = 0; waited <= timeoutMs; waited += 20) {
      for (const auto& [handle, text] : received()) {
        if (handle == channel && text.find(fragment) != std::u16string::npos) return true;
      }
      Sleep(20);
    }
    return false;
  }

 private:
  brevan::jnitest::FakeJvm& jvm_;
  mutable std::mutex mutex_;
  std::vector<std::pair<jlong, std::u16string>> received_;
};

// One JVM and one loaded HostUtil.dll for the whole test process, as in the Java application:
// process-wide threads of the channel classes run in the library until the process ends, so it
// is never unloaded, and late deliveries always find the JVM.
struct IpcHost {
  static IpcHost& get() {
    static IpcHost* host = new IpcHost();
    return *host;
  }

  brevan::jnitest::FakeJvm jvm;
  brevan::jnitest::Library library{"HostUtil"};
  IpcExports ipc{library};
  Deliveries deliveries{jvm};

 private:
  IpcHost() = default;
};

inline std::u16string u16(const std::wstring& text) {
  return std::u16string(text.begin(), text.end());
}

// Names that no other test process of the machine uses.
inline std::wstring uniqueId(const std::wstring& stem) {
  static int serial = 0;
  return L"hu" + stem + L"_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
         std::to_wstring(++serial);
}

}  // namespace brevan::hostutil::testing
