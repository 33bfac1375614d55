// The JNIEnv and JavaVM function tables of the test host. Listed functions forward to the
// host's state; every other slot holds a stub that fails naming its slot.
#include "jnitest/fake_jvm_state.h"
#include "jnitest/jni_function_names.h"
#include "jnitest/modified_utf8.h"

#include <cstring>
#include <iterator>
#include <utility>

namespace brevan::jnitest::detail {
namespace {

using State = FakeJvm::State;

// ---- stubs for the slots the host does not implement ----

template <std::size_t I>
void JNICALL unlistedEnvFunction() {
  fail(std::string("unlisted JNI function called: ") + kEnvFunctionNames[I]);
}

template <std::size_t I>
void JNICALL unlistedVmFunction() {
  fail(std::string("unlisted JNI function called: ") + kVmFunctionNames[I]);
}

using Slot = void(JNICALL*)();

template <class Table, std::size_t... I>
Table tableOf(const Slot (&slots)[sizeof...(I)], std::index_sequence<I...>) {
  static_assert(sizeof(Table) == sizeof(slots), "jni_function_names.h does not match jni.h");
  Table table;
  std::memcpy(&table, slots, sizeof table);
  return table;
}

template <std::size_t... I>
JNINativeInterface_ unlistedEnvTable(std::index_sequence<I...> order) {
  const Slot slots[] = {&unlistedEnvFunction<I>...};
  return tableOf<JNINativeInterface_>(slots, order);
}

template <std::size_t... I>
JNIInvokeInterface_ unlistedVmTable(std::index_sequence<I...> order) {
  const Slot slots[] = {&unlistedVmFunction<I>...};
  return tableOf<JNIInvokeInterface_>(slots, order);
}

// ---- classes, methods and exceptions ----

jclass JNICALL findClass(JNIEnv* env, const char* name) {
  Env& e = State::enter(env, "FindClass");
  return e.state->findClass(e, name);
}

jmethodID JNICALL getStaticMethodID(JNIEnv* env, jclass cls, const char* name, const char* sig) {
  Env& e = State::enter(env, "GetStaticMethodID");
  return e.state->findStaticMethod(e, cls, name, sig);
}

void JNICALL callStaticVoidMethodV(JNIEnv* env, jclass cls, jmethodID id, va_list args) {
  State::enter(env, "CallStaticVoidMethodV")
      .state->callStaticVoid(cls, id, args, "CallStaticVoidMethodV");
}

void JNICALL callStaticVoidMethod(JNIEnv* env, jclass cls, jmethodID id, ...) {
  State* state = State::enter(env, "CallStaticVoidMethod").state;
  va_list args;
  va_start(args, id);
  state->callStaticVoid(cls, id, args, "CallStaticVoidMethod");
  va_end(args);
}

jthrowable JNICALL exceptionOccurred(JNIEnv* env) {
  Env& e = State::enter(env, "ExceptionOccurred");
  ObjectPtr pending;
  {
    std::lock_guard<std::mutex> lock(e.state->mutex);
    pending = e.pending;
  }
  return static_cast<jthrowable>(e.state->store.newRef(pending));
}

void JNICALL deleteLocalRef(JNIEnv* env, jobject ref) {
  State::enter(env, "DeleteLocalRef").state->store.deleteRef(ref, "DeleteLocalRef");
}

void JNICALL deleteGlobalRef(JNIEnv* env, jobject ref) {
  State::enter(env, "DeleteGlobalRef").state->store.deleteRef(ref, "DeleteGlobalRef");
}

jint JNICALL getJavaVM(JNIEnv* env, JavaVM** vm) {
  Env& e = State::enter(env, "GetJavaVM");
  if (vm == nullptr) fail("GetJavaVM: null result pointer");
  *vm = &e.state->vm;
  return JNI_OK;
}

// Ends a pin of a string's or an array's buffer.
template <Kind kind>
void releasePinned(JNIEnv* env, jobject object, const void* buffer, jint mode,
                   const char* function) {
  Env& e = State::enter(env, function);
  e.state->store.release(e.state->store.get(object, kind, function), buffer, mode, function);
}

// ---- strings ----

jstring JNICALL newString(JNIEnv* env, const jchar* chars, jsize length) {
  Env& e = State::enter(env, "NewString");
  if (length < 0 || (chars == nullptr && length > 0)) fail("NewString: bad characters or length");
  auto string = std::make_shared<Object>(Kind::String);
  if (length > 0) string->text.assign(reinterpret_cast<const char16_t*>(chars), length);
  return static_cast<jstring>(e.state->store.newRef(std::move(string)));
}

jstring JNICALL newStringUTF(JNIEnv* env, const char* utf) {
  Env& e = State::enter(env, "NewStringUTF");
  if (utf == nullptr) return nullptr;  // the JVM answers null for a null text
  auto string = std::make_shared<Object>(Kind::String);
  string->text = fromModifiedUtf8(utf);
  return static_cast<jstring>(e.state->store.newRef(std::move(string)));
}

jsize JNICALL getStringLength(JNIEnv* env, jstring str) {
  Env& e = State::enter(env, "GetStringLength");
  return static_cast<jsize>(e.state->store.get(str, Kind::String, "GetStringLength")->text.size());
}

void JNICALL getStringRegion(JNIEnv* env, jstring str, jsize start, jsize length, jchar* buf) {
  Env& e = State::enter(env, "GetStringRegion");
  ObjectPtr string = e.state->store.get(str, Kind::String, "GetStringRegion");
  const std::u16string& text = string->text;
  auto size = static_cast<jsize>(text.size());
  if (start < 0 || length < 0 || start > size || length > size - start) {
    e.state->raise(e, "java/lang/StringIndexOutOfBoundsException");
    return;
  }
  if (length > 0 && buf == nullptr) fail("GetStringRegion: null buffer");
  if (length > 0) std::memcpy(buf, text.data() + start, length * sizeof(jchar));
}

const jchar* JNICALL getStringChars(JNIEnv* env, jstring str, jboolean* isCopy) {
  Env& e = State::enter(env, "GetStringChars");
  if (isCopy != nullptr) *isCopy = JNI_TRUE;
  return e.state->store.pinChars(e.state->store.get(str, Kind::String, "GetStringChars"));
}

void JNICALL releaseStringChars(JNIEnv* env, jstring str, const jchar* chars) {
  releasePinned<Kind::String>(env, str, chars, 0, "ReleaseStringChars");
}

const char* JNICALL getStringUTFChars(JNIEnv* env, jstring str, jboolean* isCopy) {
  Env& e = State::enter(env, "GetStringUTFChars");
  if (isCopy != nullptr) *isCopy = JNI_TRUE;
  return e.state->store.pinUtf(e.state->store.get(str, Kind::String, "GetStringUTFChars"));
}

void JNICALL releaseStringUTFChars(JNIEnv* env, jstring str, const char* chars) {
  releasePinned<Kind::String>(env, str, chars, 0, "ReleaseStringUTFChars");
}

// ---- arrays ----

jsize JNICALL getArrayLength(JNIEnv* env, jarray array) {
  Env& e = State::enter(env, "GetArrayLength");
  ObjectPtr object = e.state->store.getArray(array, "GetArrayLength");
  switch (object->kind) {
    case Kind::ByteArray:
      return static_cast<jsize>(object->bytes.size());
    case Kind::IntArray:
      return static_cast<jsize>(object->ints.size());
    default:
      return static_cast<jsize>(object->elements.size());
  }
}

jobject JNICALL getObjectArrayElement(JNIEnv* env, jobjectArray array, jsize index) {
  Env& e = State::enter(env, "GetObjectArrayElement");
  ObjectPtr object = e.state->store.get(array, Kind::ObjectArray, "GetObjectArrayElement");
  if (index < 0 || static_cast<std::size_t>(index) >= object->elements.size()) {
    e.state->raise(e, "java/lang/ArrayIndexOutOfBoundsException");
    return nullptr;
  }
  return e.state->store.newRef(object->elements[index]);
}

// Get/Release<Type>ArrayElements: copies, as the JVM hands them out.
template <class Element, Kind kind>
Element* arrayElements(JNIEnv* env, jarray array, jboolean* isCopy, const char* function) {
  Env& e = State::enter(env, function);
  if (isCopy != nullptr) *isCopy = JNI_TRUE;
  return static_cast<Element*>(
      e.state->store.pinElements(e.state->store.get(array, kind, function)));
}

jbyte* JNICALL getByteArrayElements(JNIEnv* env, jbyteArray array, jboolean* isCopy) {
  return arrayElements<jbyte, Kind::ByteArray>(env, array, isCopy, "GetByteArrayElements");
}

void JNICALL releaseByteArrayElements(JNIEnv* env, jbyteArray array, jbyte* elems, jint mode) {
  releasePinned<Kind::ByteArray>(env, array, elems, mode, "ReleaseByteArrayElements");
}

jint* JNICALL getIntArrayElements(JNIEnv* env, jintArray array, jboolean* isCopy) {
  return arrayElements<jint, Kind::IntArray>(env, array, isCopy, "GetIntArrayElements");
}

void JNICALL releaseIntArrayElements(JNIEnv* env, jintArray array, jint* elems, jint mode) {
  releasePinned<Kind::IntArray>(env, array, elems, mode, "ReleaseIntArrayElements");
}

ObjectPtr primitiveArray(State& state, jarray array, const char* function) {
  ObjectPtr object = state.store.getArray(array, function);
  if (object->kind == Kind::ObjectArray) fail(std::string(function) + ": not a primitive array");
  return object;
}

void* JNICALL getPrimitiveArrayCritical(JNIEnv* env, jarray array, jboolean* isCopy) {
  Env& e = State::enter(env, "GetPrimitiveArrayCritical", /*inCritical=*/true);
  if (isCopy != nullptr) *isCopy = JNI_FALSE;
  void* data =
      e.state->store.pinCritical(primitiveArray(*e.state, array, "GetPrimitiveArrayCritical"));
  e.state->changeCriticalPins(e, +1);
  return data;
}

void JNICALL releasePrimitiveArrayCritical(JNIEnv* env, jarray array, void* data, jint mode) {
  Env& e = State::enter(env, "ReleasePrimitiveArrayCritical", /*inCritical=*/true);
  e.state->store.release(primitiveArray(*e.state, array, "ReleasePrimitiveArrayCritical"), data,
                         mode, "ReleasePrimitiveArrayCritical");
  if (mode != JNI_COMMIT) e.state->changeCriticalPins(e, -1);
}

// ---- the invocation interface ----

State& vmState(JavaVM* vm, const char* function) {
  auto* fake = static_cast<Vm*>(vm);
  if (fake == nullptr || fake->functions != &vmTable()) {
    fail(std::string(function) + ": not a JavaVM of the test host");
  }
  return *fake->state;
}

jint JNICALL attachCurrentThread(JavaVM* vm, void** penv, void* /*args*/) {
  if (penv == nullptr) fail("AttachCurrentThread: null env pointer");
  return vmState(vm, "AttachCurrentThread").attach(penv);
}

jint JNICALL detachCurrentThread(JavaVM* vm) { return vmState(vm, "DetachCurrentThread").detach(); }

JNINativeInterface_ makeEnvTable() {
  JNINativeInterface_ t =
      unlistedEnvTable(std::make_index_sequence<std::size(kEnvFunctionNames)>());
  t.FindClass = &findClass;
  t.GetStaticMethodID = &getStaticMethodID;
  t.CallStaticVoidMethod = &callStaticVoidMethod;
  t.CallStaticVoidMethodV = &callStaticVoidMethodV;
  t.ExceptionOccurred = &exceptionOccurred;
  t.DeleteLocalRef = &deleteLocalRef;
  t.DeleteGlobalRef = &deleteGlobalRef;
  t.GetJavaVM = &getJavaVM;
  t.NewString = &newString;
  t.NewStringUTF = &newStringUTF;
  t.GetStringLength = &getStringLength;
  t.GetStringRegion = &getStringRegion;
  t.GetStringChars = &getStringChars;
  t.ReleaseStringChars = &releaseStringChars;
  t.GetStringUTFChars = &getStringUTFChars;
  t.ReleaseStringUTFChars = &releaseStringUTFChars;
  t.GetArrayLength = &getArrayLength;
  t.GetObjectArrayElement = &getObjectArrayElement;
  t.GetByteArrayElements = &getByteArrayElements;
  t.ReleaseByteArrayElements = &releaseByteArrayElements;
  t.GetIntArrayElements = &getIntArrayElements;
  t.ReleaseIntArrayElements = &releaseIntArrayElements;
  t.GetPrimitiveArrayCritical = &getPrimitiveArrayCritical;
  t.ReleasePrimitiveArrayCritical = &releasePrimitiveArrayCritical;
  return t;
}

JNIInvokeInterface_ makeVmTable() {
  JNIInvokeInterface_ t = unlistedVmTable(std::make_index_sequence<std::size(kVmFunctionNames)>());
  t.AttachCurrentThread = &attachCurrentThread;
  t.DetachCurrentThread = &detachCurrentThread;
  return t;
}

}  // namespace

const JNINativeInterface_& envTable() {
  static const JNINativeInterface_ table = makeEnvTable();
  return table;
}

const JNIInvokeInterface_& vmTable() {
  static const JNIInvokeInterface_ table = makeVmTable();
  return table;
}

}  // namespace brevan::jnitest::detail
