// Inside of FakeJvm, shared by its public interface and its JNI function tables.
#pragma once

#include "jnitest/fake_jvm.h"
#include "jnitest/objects.h"

#include <cstdarg>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace brevan::jnitest {
namespace detail {

constexpr std::uint32_t kEnvMagic = 0x6A6E6945;

struct Env : JNIEnv_ {
  FakeJvm::State* state = nullptr;
  std::uint32_t magic = kEnvMagic;
  bool javaThreads = false;  // the shared env of the Java threads
  std::thread::id thread;    // owner of an attached thread's env
  bool attached = false;
  ObjectPtr pending;     // exception; guarded by State::mutex
  int criticalPins = 0;  // guarded by State::mutex
};

struct Vm : JavaVM_ {
  FakeJvm::State* state = nullptr;
};

struct Method {
  std::string className;
  std::string name;
  std::string signature;
  std::vector<std::string> parameters;
  StaticMethod body;
  int calls = 0;  // guarded by State::mutex
};

const JNINativeInterface_& envTable();
const JNIInvokeInterface_& vmTable();

}  // namespace detail

struct FakeJvm::State {
  State();

  // Checks that env belongs to this JVM and may be used here and now; function names the
  // JNI function for the failure message.
  static detail::Env& enter(JNIEnv* env, const char* function, bool inCritical = false);
  detail::Env* currentEnv() const;  // needs mutex held

  jclass findClass(detail::Env& env, const char* name);
  jmethodID findStaticMethod(detail::Env& env, jclass cls, const char* name, const char* sig);
  void callStaticVoid(jclass cls, jmethodID id, va_list args, const char* function);
  void raise(detail::Env& env, const std::string& className);
  void changeCriticalPins(detail::Env& env, int delta);
  jint attach(void** penv);
  jint detach();

  detail::ObjectStore store;
  detail::Vm vm;
  detail::Env javaEnv;

  mutable std::mutex mutex;
  std::set<std::thread::id> javaThreads;                               // guarded by mutex
  std::map<std::thread::id, std::unique_ptr<detail::Env>> nativeEnvs;  // guarded by mutex
  std::map<std::string, detail::ObjectPtr> classes;                    // guarded by mutex
  std::map<std::string, std::unique_ptr<detail::Method>> methods;      // guarded by mutex
  int attachCount = 0;                                                 // guarded by mutex
  int detachCount = 0;                                                 // guarded by mutex
};

}  // namespace brevan::jnitest
