// The test JNI host itself: it must behave like a JVM where libraries rely on it, and fail
// loudly, naming the function, wherever a library misuses JNI.
#include "jnitest/fake_jvm.h"
#include "jnitest/jni_function_names.h"
#include "jnitest/method_signature.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <iterator>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>

namespace {

struct HostFailure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

[[noreturn]] void throwFailure(const std::string& message) { throw HostFailure(message); }

// Failures become exceptions, so a test can look at the message instead of aborting.
class FakeJvmTest : public ::testing::Test {
 protected:
  FakeJvmTest() : previous_(brevan::jnitest::setFailureHandler(&throwFailure)) {}
  ~FakeJvmTest() override { brevan::jnitest::setFailureHandler(previous_); }

  static std::string failureOf(const std::function<void()>& action) {
    try {
      action();
    } catch (const HostFailure& failure) {
      return failure.what();
    }
    return "";
  }

  brevan::jnitest::FakeJvm jvm;
  JNIEnv* env = jvm.env();

 private:
  brevan::jnitest::FailureHandler previous_;
};

// ---- strings ----

TEST_F(FakeJvmTest, StringsKeepUtf16AndSpeakModifiedUtf8) {
  const std::u16string text(u"a\0\u00e9\u20ac\U0001F600", 6);
  jstring s = jvm.newString(text);
  EXPECT_EQ(env->GetStringLength(s), 6);

  const char* utf = env->GetStringUTFChars(s, nullptr);
  EXPECT_STREQ(utf, "a\xC0\x80\xC3\xA9\xE2\x82\xAC\xED\xA0\xBD\xED\xB8\x80");
  env->ReleaseStringUTFChars(s, utf);

  jboolean isCopy = JNI_FALSE;
  const jchar* chars = env->GetStringChars(s, &isCopy);
  EXPECT_EQ(isCopy, JNI_TRUE);
  EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(chars), 6), text);
  EXPECT_EQ(chars[6], 0);  // copies end in NUL, as the JVM's do
  env->ReleaseStringChars(s, chars);

  jchar region[2] = {};
  env->GetStringRegion(s, 2, 2, region);
  EXPECT_EQ(region[0], 0x00E9);
  EXPECT_EQ(region[1], 0x20AC);
  EXPECT_EQ(jvm.pinnedBuffers(), 0u);
}

TEST_F(FakeJvmTest, NewStringUtfDecodesModifiedAndStandardForms) {
  EXPECT_EQ(jvm.stringValue(env->NewStringUTF("x\xC0\x80y")), std::u16string(u"x\0y", 3));
  EXPECT_EQ(jvm.stringValue(env->NewStringUTF("\xED\xA0\xBD\xED\xB8\x80")), u"\U0001F600");
  EXPECT_EQ(jvm.stringValue(env->NewStringUTF("\xF0\x9F\x98\x80")), u"\U0001F600");
  // Truncated and stray bytes never read past the text.
  EXPECT_EQ(jvm.stringValue(env->NewStringUTF("a\xE2\x82")), u"a\uFFFD\uFFFD");
  EXPECT_EQ(jvm.stringValue(env->NewStringUTF("\x80z")), u"\uFFFDz");
  EXPECT_EQ(env->NewStringUTF(nullptr), nullptr);
  EXPECT_EQ(jvm.stringValue(jvm.newStringUtf("plain")), u"plain");
}

TEST_F(FakeJvmTest, StringRegionOutOfBoundsRaisesInsteadOfCopying) {
  jstring s = jvm.newString(u"abc");
  jchar buffer[4] = {1, 1, 1, 1};
  env->GetStringRegion(s, 2, 2, buffer);
  EXPECT_EQ(jvm.pendingException(), "java/lang/StringIndexOutOfBoundsException");
  EXPECT_NE(env->ExceptionOccurred(), nullptr);
  EXPECT_EQ(buffer[0], 1);
  jvm.clearPendingException();
  EXPECT_EQ(env->ExceptionOccurred(), nullptr);
  env->GetStringRegion(s, 3, 0, buffer);  // empty region at the end is fine
  EXPECT_EQ(jvm.pendingException(), "");
}

// ---- arrays ----

TEST_F(FakeJvmTest, ArrayElementsAreCopiesWrittenBackByReleaseMode) {
  jbyteArray bytes = jvm.newByteArray({1, 2, 3});
  jbyte* elements = env->GetByteArrayElements(bytes, nullptr);
  elements[0] = 10;
  EXPECT_EQ(jvm.bytes(bytes)[0], 1);  // not visible before release
  env->ReleaseByteArrayElements(bytes, elements, JNI_COMMIT);
  EXPECT_EQ(jvm.bytes(bytes)[0], 10);
  elements[1] = 20;
  env->ReleaseByteArrayElements(bytes, elements, JNI_ABORT);
  EXPECT_EQ(jvm.bytes(bytes), (std::vector<std::uint8_t>{10, 2, 3}));

  jintArray ints = jvm.newIntArray({-1, 70000});
  jint* values = env->GetIntArrayElements(ints, nullptr);
  EXPECT_EQ(values[1], 70000);
  values[0] = 5;
  env->ReleaseIntArrayElements(ints, values, 0);
  EXPECT_EQ(jvm.ints(ints), (std::vector<jint>{5, 70000}));
  EXPECT_EQ(jvm.pinnedBuffers(), 0u);
}

TEST_F(FakeJvmTest, CriticalArraysAreTheArrayItself) {
  jintArray ints = jvm.newIntArray({1, 2});
  jboolean isCopy = JNI_TRUE;
  auto* data = static_cast<jint*>(env->GetPrimitiveArrayCritical(ints, &isCopy));
  EXPECT_EQ(isCopy, JNI_FALSE);
  data[1] = 9;
  EXPECT_EQ(jvm.ints(ints)[1], 9);
  env->ReleasePrimitiveArrayCritical(ints, data, JNI_ABORT);

  jbyteArray empty = jvm.newByteArray({});
  void* nothing = env->GetPrimitiveArrayCritical(empty, nullptr);
  EXPECT_NE(nothing, nullptr);
  env->ReleasePrimitiveArrayCritical(empty, nothing, 0);
  EXPECT_EQ(jvm.pinnedBuffers(), 0u);
}

TEST_F(FakeJvmTest, ArrayLengthAndObjectElements) {
  jstring first = jvm.newString(u"first");
  jobjectArray array = jvm.newObjectArray({first, nullptr});
  EXPECT_EQ(env->GetArrayLength(array), 2);
  EXPECT_EQ(env->GetArrayLength(jvm.newByteArray({1, 2, 3})), 3);
  EXPECT_EQ(env->GetArrayLength(jvm.newIntArray({4})), 1);

  jobject element = env->GetObjectArrayElement(array, 0);
  EXPECT_EQ(jvm.stringValue(static_cast<jstring>(element)), u"first");
  EXPECT_EQ(env->GetObjectArrayElement(array, 1), nullptr);
  EXPECT_EQ(jvm.pendingException(), "");
  EXPECT_EQ(env->GetObjectArrayElement(array, 2), nullptr);
  EXPECT_EQ(jvm.pendingException(), "java/lang/ArrayIndexOutOfBoundsException");
}

// ---- classes, methods and callbacks ----

TEST_F(FakeJvmTest, StaticCallsDecodeEveryArgumentKind) {
  std::vector<jvalue> seen;
  jvm.registerStaticMethod("zemtra/nativeCode/T", "all", "(ZBCSIJFD[BLjava/lang/String;)V",
                           [&](const std::vector<jvalue>& args) { seen = args; });
  jclass cls = env->FindClass("zemtra/nativeCode/T");
  ASSERT_NE(cls, nullptr);
  jmethodID id = env->GetStaticMethodID(cls, "all", "(ZBCSIJFD[BLjava/lang/String;)V");
  ASSERT_NE(id, nullptr);
  jbyteArray bytes = jvm.newByteArray({7});
  jstring text = jvm.newString(u"t");
  // The table's variadic entry itself; the C++ wrapper would go through the va_list entry.
  env->functions->CallStaticVoidMethod(env, cls, id, JNI_TRUE, jbyte{-3}, jchar{0xE9}, jshort{-300},
                                       jint{-5}, jlong{-0x100000001LL}, jfloat{1.5f},
                                       jdouble{-2.25}, bytes, text);
  ASSERT_EQ(seen.size(), 10u);
  EXPECT_EQ(seen[0].z, JNI_TRUE);
  EXPECT_EQ(seen[1].b, -3);
  EXPECT_EQ(seen[2].c, 0xE9);
  EXPECT_EQ(seen[3].s, -300);
  EXPECT_EQ(seen[4].i, -5);
  EXPECT_EQ(seen[5].j, -0x100000001LL);
  EXPECT_EQ(seen[6].f, 1.5f);
  EXPECT_EQ(seen[7].d, -2.25);
  EXPECT_EQ(seen[8].l, bytes);
  EXPECT_EQ(seen[9].l, text);
  EXPECT_EQ(jvm.calls("zemtra/nativeCode/T", "all"), 1);
}

TEST_F(FakeJvmTest, FailedLookupsReturnNullWithTheJavaException) {
  jvm.registerStaticMethod("zemtra/nativeCode/T", "m", "(I)V", nullptr);
  EXPECT_EQ(env->FindClass("zemtra/nativeCode/Missing"), nullptr);
  EXPECT_EQ(jvm.pendingException(), "java/lang/NoClassDefFoundError");
  jvm.clearPendingException();
  jclass cls = env->FindClass("zemtra/nativeCode/T");
  EXPECT_EQ(env->GetStaticMethodID(cls, "m", "(J)V"), nullptr);
  EXPECT_EQ(jvm.pendingException(), "java/lang/NoSuchMethodError");
}

TEST(MethodSignatureTest, ParametersOfVoidDescriptors) {
  using brevan::jnitest::detail::voidMethodParameters;
  EXPECT_EQ(*voidMethodParameters("()V"), std::vector<std::string>{});
  EXPECT_EQ(*voidMethodParameters("(JLjava/lang/String;)V"),
            (std::vector<std::string>{"J", "Ljava/lang/String;"}));
  EXPECT_EQ(*voidMethodParameters("([[I[Ljava/lang/Object;Z)V"),
            (std::vector<std::string>{"[[I", "[Ljava/lang/Object;", "Z"}));
  for (const char* bad :
       {"", "V", "(I)I", "(I", "(L;)V", "(Ljava/lang/String)V", "([)V", "(Q)V", "(I)VV"}) {
    EXPECT_FALSE(voidMethodParameters(bad).has_value()) << bad;
  }
}

// ---- threads ----

TEST_F(FakeJvmTest, NativeThreadsAttachToTheirOwnEnv) {
  JavaVM* vm = nullptr;
  ASSERT_EQ(env->GetJavaVM(&vm), JNI_OK);
  EXPECT_EQ(vm, jvm.vm());
  void* javaEnv = nullptr;
  EXPECT_EQ(vm->AttachCurrentThread(&javaEnv, nullptr), JNI_OK);
  EXPECT_EQ(javaEnv, env);  // a Java thread is attached already
  EXPECT_EQ(vm->DetachCurrentThread(), JNI_ERR);

  std::string misuse;
  std::thread([&] {
    misuse = failureOf([&] { env->NewStringUTF("from the wrong thread"); });
    void* first = nullptr;
    void* again = nullptr;
    vm->AttachCurrentThread(&first, nullptr);
    vm->AttachCurrentThread(&again, nullptr);
    EXPECT_NE(first, env);
    EXPECT_EQ(first, again);
    EXPECT_NE(static_cast<JNIEnv*>(first)->NewStringUTF("ok"), nullptr);
    EXPECT_EQ(jvm.attachedThreads(), 1);
    EXPECT_EQ(vm->DetachCurrentThread(), JNI_OK);
    misuse += "|" + failureOf([&] { static_cast<JNIEnv*>(first)->NewStringUTF("detached"); });
  }).join();

  EXPECT_EQ(misuse,
            "NewStringUTF: JNIEnv used on a thread it does not belong to (attach native threads "
            "first)|NewStringUTF: JNIEnv used on a thread it does not belong to (attach native "
            "threads first)");
  EXPECT_EQ(jvm.attaches(), 1);
  EXPECT_EQ(jvm.detaches(), 1);
  EXPECT_EQ(jvm.attachedThreads(), 0);
}

TEST_F(FakeJvmTest, AdoptedThreadsShareTheJavaEnv) {
  std::thread([&] {
    jvm.adoptCurrentThread();
    EXPECT_NE(env->NewStringUTF("java thread"), nullptr);
  }).join();
  EXPECT_EQ(jvm.attaches(), 0);
}

// ---- misuse ----

// Without a handler of its own, a test dies with the message on stderr.
TEST(FakeJvmDeathTest, UnlistedFunctionAbortsByDefault) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  brevan::jnitest::FakeJvm jvm;
  EXPECT_DEATH(jvm.env()->MonitorEnter(jvm.newString(u"lock")),
               "unlisted JNI function called: MonitorEnter");
}

TEST_F(FakeJvmTest, UnlistedFunctionsFailNamingThemselves) {
  jstring s = jvm.newString(u"s");
  EXPECT_EQ(failureOf([&] { env->GetVersion(); }), "unlisted JNI function called: GetVersion");
  EXPECT_EQ(failureOf([&] { env->NewGlobalRef(s); }), "unlisted JNI function called: NewGlobalRef");
  EXPECT_EQ(failureOf([&] { env->ExceptionClear(); }),
            "unlisted JNI function called: ExceptionClear");
  EXPECT_EQ(failureOf([&] { env->MonitorEnter(s); }), "unlisted JNI function called: MonitorEnter");
  EXPECT_EQ(failureOf([&] { env->GetModule(nullptr); }), "unlisted JNI function called: GetModule");
  void* out = nullptr;
  EXPECT_EQ(failureOf([&] { jvm.vm()->GetEnv(&out, JNI_VERSION_1_6); }),
            "unlisted JNI function called: GetEnv");
  EXPECT_EQ(failureOf([&] { jvm.vm()->DestroyJavaVM(); }),
            "unlisted JNI function called: DestroyJavaVM");
}

TEST_F(FakeJvmTest, EverySlotOutsideTheListNamesItsOwnFunction) {
  const std::set<std::string> listed = {"FindClass",
                                        "GetStaticMethodID",
                                        "CallStaticVoidMethod",
                                        "CallStaticVoidMethodV",
                                        "NewString",
                                        "NewStringUTF",
                                        "DeleteLocalRef",
                                        "DeleteGlobalRef",
                                        "GetStringUTFChars",
                                        "ReleaseStringUTFChars",
                                        "GetStringChars",
                                        "ReleaseStringChars",
                                        "GetStringLength",
                                        "GetStringRegion",
                                        "ExceptionOccurred",
                                        "GetPrimitiveArrayCritical",
                                        "ReleasePrimitiveArrayCritical",
                                        "GetByteArrayElements",
                                        "ReleaseByteArrayElements",
                                        "GetIntArrayElements",
                                        "ReleaseIntArrayElements",
                                        "GetJavaVM",
                                        "GetArrayLength",
                                        "GetObjectArrayElement"};
  using Slot = void(JNICALL*)();
  const auto& names = brevan::jnitest::detail::kEnvFunctionNames;
  Slot slots[std::size(brevan::jnitest::detail::kEnvFunctionNames)];
  static_assert(sizeof(slots) == sizeof(JNINativeInterface_), "one name per slot");
  std::memcpy(slots, env->functions, sizeof(slots));
  std::size_t unlisted = 0;
  for (std::size_t i = 0; i < std::size(slots); ++i) {
    if (listed.count(names[i]) != 0) continue;
    ++unlisted;
    // The stubs take no notice of arguments and never return, so calling bare is safe.
    EXPECT_EQ(failureOf([&] { slots[i](); }),
              std::string("unlisted JNI function called: ") + names[i]);
  }
  EXPECT_EQ(unlisted, std::size(slots) - listed.size());
}

TEST_F(FakeJvmTest, MisusedReferencesAndBuffersFailNamingTheFunction) {
  jstring s = jvm.newString(u"s");
  jbyteArray bytes = jvm.newByteArray({1});
  env->DeleteLocalRef(s);
  EXPECT_EQ(failureOf([&] { env->GetStringLength(s); }),
            "GetStringLength: reference used after it was deleted");
  EXPECT_EQ(failureOf([&] { env->DeleteGlobalRef(s); }),
            "DeleteGlobalRef: reference deleted twice");
  EXPECT_EQ(failureOf([&] { env->GetStringLength(reinterpret_cast<jstring>(bytes)); }),
            "GetStringLength: expected a string, got a byte array");
  EXPECT_EQ(
      failureOf([&] { env->GetIntArrayElements(reinterpret_cast<jintArray>(bytes), nullptr); }),
      "GetIntArrayElements: expected an int array, got a byte array");
  jbyte stray = 0;
  EXPECT_EQ(failureOf([&] { env->ReleaseByteArrayElements(bytes, &stray, 0); }),
            "ReleaseByteArrayElements: buffer was not handed out for this object");
  void* data = env->GetPrimitiveArrayCritical(bytes, nullptr);
  EXPECT_EQ(failureOf([&] { env->NewStringUTF("inside"); }),
            "NewStringUTF: called while a critical array is held");
  env->ReleasePrimitiveArrayCritical(bytes, data, 0);
  EXPECT_NE(env->NewStringUTF("after"), nullptr);
}

TEST_F(FakeJvmTest, CallbackArgumentsAreCheckedAgainstTheDescriptor) {
  jvm.registerStaticMethod("zemtra/nativeCode/T", "text", "(Ljava/lang/String;)V", nullptr);
  jvm.registerStaticMethod("zemtra/nativeCode/U", "other", "()V", nullptr);
  jclass t = env->FindClass("zemtra/nativeCode/T");
  jclass u = env->FindClass("zemtra/nativeCode/U");
  jmethodID text = env->GetStaticMethodID(t, "text", "(Ljava/lang/String;)V");
  jmethodID other = env->GetStaticMethodID(u, "other", "()V");
  EXPECT_EQ(failureOf([&] { env->CallStaticVoidMethod(t, text, jvm.newIntArray({})); }),
            "CallStaticVoidMethodV: expected a string, got an int array");
  EXPECT_EQ(failureOf([&] { env->CallStaticVoidMethod(t, other); }),
            "CallStaticVoidMethodV: method other does not belong to class zemtra/nativeCode/T");
  int bogus = 0;
  EXPECT_EQ(failureOf([&] {
              env->functions->CallStaticVoidMethod(env, t, reinterpret_cast<jmethodID>(&bogus));
            }),
            "CallStaticVoidMethod: not a method ID of this JVM");
}

}  // namespace
