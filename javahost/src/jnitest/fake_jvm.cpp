#include "jnitest/fake_jvm.h"

#include "jnitest/fake_jvm_state.h"
#include "jnitest/method_signature.h"
#include "jnitest/modified_utf8.h"

#include <algorithm>

namespace brevan::jnitest {

using detail::Env;
using detail::Kind;
using detail::Method;
using detail::Object;
using detail::ObjectPtr;

namespace {

std::string methodKey(const std::string& className, const std::string& name,
                      const std::string& signature) {
  return className + "." + name + signature;
}

// Object parameters whose kind the host knows are checked against the argument passed.
const Kind* expectedKind(const std::string& parameter) {
  static const Kind kString = Kind::String, kBytes = Kind::ByteArray, kInts = Kind::IntArray;
  if (parameter == "Ljava/lang/String;") return &kString;
  if (parameter == "[B") return &kBytes;
  if (parameter == "[I") return &kInts;
  return nullptr;
}

}  // namespace

FakeJvm::State::State() {
  vm.functions = &detail::vmTable();
  vm.state = this;
  javaEnv.functions = &detail::envTable();
  javaEnv.state = this;
  javaEnv.javaThreads = true;
  javaThreads.insert(std::this_thread::get_id());
}

Env& FakeJvm::State::enter(JNIEnv* jniEnv, const char* function, bool inCritical) {
  auto* env = static_cast<Env*>(jniEnv);
  if (env == nullptr || env->magic != detail::kEnvMagic) {
    fail(std::string(function) + ": not a JNIEnv of the test host");
  }
  State& state = *env->state;
  std::lock_guard<std::mutex> lock(state.mutex);
  auto self = std::this_thread::get_id();
  if (env->javaThreads ? state.javaThreads.count(self) == 0
                       : (env->thread != self || !env->attached)) {
    fail(std::string(function) +
         ": JNIEnv used on a thread it does not belong to (attach native threads first)");
  }
  if (env->criticalPins > 0 && !inCritical) {
    fail(std::string(function) + ": called while a critical array is held");
  }
  return *env;
}

Env* FakeJvm::State::currentEnv() const {
  auto self = std::this_thread::get_id();
  if (javaThreads.count(self) != 0) return const_cast<Env*>(&javaEnv);
  auto found = nativeEnvs.find(self);
  return found != nativeEnvs.end() && found->second->attached ? found->second.get() : nullptr;
}

void FakeJvm::State::raise(Env& env, const std::string& className) {
  auto throwable = std::make_shared<Object>(Kind::Throwable);
  throwable->className = className;
  std::lock_guard<std::mutex> lock(mutex);
  env.pending = std::move(throwable);
}

void FakeJvm::State::changeCriticalPins(Env& env, int delta) {
  std::lock_guard<std::mutex> lock(mutex);
  env.criticalPins += delta;
}

jclass FakeJvm::State::findClass(Env& env, const char* name) {
  ObjectPtr cls;
  {
    std::lock_guard<std::mutex> lock(mutex);
    auto found = classes.find(name != nullptr ? name : "");
    if (found != classes.end()) cls = found->second;
  }
  if (!cls) {
    raise(env, "java/lang/NoClassDefFoundError");
    return nullptr;
  }
  return static_cast<jclass>(store.newRef(cls));
}

jmethodID FakeJvm::State::findStaticMethod(Env& env, jclass cls, const char* name,
                                           const char* sig) {
  ObjectPtr object = store.get(cls, Kind::Class, "GetStaticMethodID");
  if (name == nullptr || sig == nullptr) fail("GetStaticMethodID: null name or signature");
  {
    std::lock_guard<std::mutex> lock(mutex);
    auto found = methods.find(methodKey(object->className, name, sig));
    if (found != methods.end()) return reinterpret_cast<jmethodID>(found->second.get());
  }
  raise(env, "java/lang/NoSuchMethodError");
  return nullptr;
}

void FakeJvm::State::callStaticVoid(jclass cls, jmethodID id, va_list args, const char* function) {
  ObjectPtr object = store.get(cls, Kind::Class, function);
  StaticMethod body;
  std::vector<std::string> parameters;
  std::vector<jvalue> values;
  {
    std::lock_guard<std::mutex> lock(mutex);
    auto* method = reinterpret_cast<Method*>(id);
    bool known = std::any_of(methods.begin(), methods.end(),
                             [&](const auto& entry) { return entry.second.get() == method; });
    if (!known) fail(std::string(function) + ": not a method ID of this JVM");
    if (method->className != object->className) {
      fail(std::string(function) + ": method " + method->name + " does not belong to class " +
           object->className);
    }
    values = detail::readArguments(method->parameters, args);
    parameters = method->parameters;
    ++method->calls;
    body = method->body;
  }
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (const Kind* kind = expectedKind(parameters[i])) {
      store.get(values[i].l, *kind, function, /*allowNull=*/true);
    }
  }
  // Unlocked: the method may call back into the host, from any thread.
  if (body) body(values);
}

jint FakeJvm::State::attach(void** penv) {
  std::lock_guard<std::mutex> lock(mutex);
  auto self = std::this_thread::get_id();
  if (javaThreads.count(self) != 0) {
    *penv = &javaEnv;
    return JNI_OK;
  }
  auto& env = nativeEnvs[self];
  if (!env) {
    env = std::make_unique<Env>();
    env->functions = &detail::envTable();
    env->state = this;
    env->thread = self;
  }
  if (!env->attached) {
    env->attached = true;
    ++attachCount;
  }
  *penv = env.get();
  return JNI_OK;
}

jint FakeJvm::State::detach() {
  std::lock_guard<std::mutex> lock(mutex);
  auto self = std::this_thread::get_id();
  if (javaThreads.count(self) != 0) return JNI_ERR;  // as the JVM: Java threads stay attached
  auto found = nativeEnvs.find(self);
  if (found == nativeEnvs.end() || !found->second->attached) return JNI_OK;
  if (found->second->criticalPins > 0) {
    fail("DetachCurrentThread: thread still holds a critical array");
  }
  found->second->attached = false;
  found->second->pending.reset();
  ++detachCount;
  return JNI_OK;
}

FakeJvm::FakeJvm() : state_(std::make_unique<State>()) {}
FakeJvm::~FakeJvm() = default;

JNIEnv* FakeJvm::env() { return &state_->javaEnv; }
JavaVM* FakeJvm::vm() { return &state_->vm; }

void FakeJvm::adoptCurrentThread() {
  std::lock_guard<std::mutex> lock(state_->mutex);
  state_->javaThreads.insert(std::this_thread::get_id());
}

jstring FakeJvm::newString(const std::u16string& text) {
  auto object = std::make_shared<Object>(Kind::String);
  object->text = text;
  return static_cast<jstring>(state_->store.newRef(std::move(object)));
}

jstring FakeJvm::newStringUtf(const std::string& modifiedUtf8) {
  return newString(fromModifiedUtf8(modifiedUtf8));
}

std::u16string FakeJvm::stringValue(jstring string) const {
  return state_->store.get(string, Kind::String, "stringValue")->text;
}

jbyteArray FakeJvm::newByteArray(std::vector<std::uint8_t> bytes) {
  auto object = std::make_shared<Object>(Kind::ByteArray);
  object->bytes = std::move(bytes);
  return static_cast<jbyteArray>(state_->store.newRef(std::move(object)));
}

std::vector<std::uint8_t>& FakeJvm::bytes(jbyteArray array) {
  return state_->store.get(array, Kind::ByteArray, "bytes")->bytes;
}

jintArray FakeJvm::newIntArray(std::vector<jint> ints) {
  auto object = std::make_shared<Object>(Kind::IntArray);
  object->ints = std::move(ints);
  return static_cast<jintArray>(state_->store.newRef(std::move(object)));
}

std::vector<jint>& FakeJvm::ints(jintArray array) {
  return state_->store.get(array, Kind::IntArray, "ints")->ints;
}

jobjectArray FakeJvm::newObjectArray(const std::vector<jobject>& elements) {
  auto object = std::make_shared<Object>(Kind::ObjectArray);
  for (jobject element : elements) {
    object->elements.push_back(state_->store.getAny(element, "newObjectArray"));
  }
  return static_cast<jobjectArray>(state_->store.newRef(std::move(object)));
}

void FakeJvm::registerStaticMethod(const std::string& className, const std::string& name,
                                   const std::string& signature, StaticMethod method) {
  auto parameters = detail::voidMethodParameters(signature);
  if (!parameters) fail("registerStaticMethod: not a void method descriptor: " + signature);
  auto entry = std::make_unique<Method>();
  entry->className = className;
  entry->name = name;
  entry->signature = signature;
  entry->parameters = std::move(*parameters);
  entry->body = std::move(method);
  std::lock_guard<std::mutex> lock(state_->mutex);
  auto& cls = state_->classes[className];
  if (!cls) {
    cls = std::make_shared<Object>(Kind::Class);
    cls->className = className;
  }
  // Replacing a method would leave IDs dangling, so a second registration only swaps the body.
  auto& slot = state_->methods[methodKey(className, name, signature)];
  if (slot) {
    slot->body = std::move(entry->body);
  } else {
    slot = std::move(entry);
  }
}

int FakeJvm::calls(const std::string& className, const std::string& name) const {
  std::lock_guard<std::mutex> lock(state_->mutex);
  int total = 0;
  for (const auto& entry : state_->methods) {
    const Method& method = *entry.second;
    if (method.className == className && method.name == name) total += method.calls;
  }
  return total;
}

std::string FakeJvm::pendingException() const {
  std::lock_guard<std::mutex> lock(state_->mutex);
  Env* env = state_->currentEnv();
  return env != nullptr && env->pending ? env->pending->className : std::string();
}

void FakeJvm::clearPendingException() {
  std::lock_guard<std::mutex> lock(state_->mutex);
  if (Env* env = state_->currentEnv()) env->pending.reset();
}

int FakeJvm::attaches() const {
  std::lock_guard<std::mutex> lock(state_->mutex);
  return state_->attachCount;
}

int FakeJvm::detaches() const {
  std::lock_guard<std::mutex> lock(state_->mutex);
  return state_->detachCount;
}

int FakeJvm::attachedThreads() const {
  std::lock_guard<std::mutex> lock(state_->mutex);
  int count = 0;
  for (const auto& entry : state_->nativeEnvs) count += entry.second->attached ? 1 : 0;
  return count;
}

std::size_t FakeJvm::pinnedBuffers() const { return state_->store.pinnedBuffers(); }
std::size_t FakeJvm::deletedRefs() const { return state_->store.deletedRefs(); }

}  // namespace brevan::jnitest
