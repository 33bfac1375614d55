// The probe library through the test host: the same source checks JniProbe.dll under Wine and
// libJniProbe.so natively.
#include "jnitest/fake_jvm.h"
#include "jnitest/library.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace {

constexpr const char* kProbeClass = "zemtra/nativeCode/JniProbe";
constexpr const char* kCallbackSignature = "(JLjava/lang/String;)V";

using AddFn = jint(JNICALL*)(JNIEnv*, jclass, jint, jint);
using CallBackFn = jboolean(JNICALL*)(JNIEnv*, jclass, jlong, jstring, jint);

struct Received {
  jlong id;
  std::u16string text;
  std::thread::id thread;
};

class ProbeTest : public ::testing::Test {
 protected:
  void recordCallbacks() {
    jvm.registerStaticMethod(
        kProbeClass, "probeCallback", kCallbackSignature, [this](const std::vector<jvalue>& args) {
          std::lock_guard<std::mutex> lock(mutex);
          received.push_back({args[0].j, jvm.stringValue(static_cast<jstring>(args[1].l)),
                              std::this_thread::get_id()});
        });
  }

  brevan::jnitest::Library probe{"JniProbe", BREVAN_TESTLIB_DIR};
  brevan::jnitest::FakeJvm jvm;
  std::mutex mutex;
  std::vector<Received> received;
};

TEST_F(ProbeTest, NativeMethodReturnsItsResult) {
  auto add = probe.get<AddFn>("Java_zemtra_nativeCode_JniProbe_add");
  EXPECT_EQ(add(jvm.env(), nullptr, 40, 2), 42);
  EXPECT_EQ(add(jvm.env(), nullptr, -7, 3), -4);
}

TEST_F(ProbeTest, CallbackArrivesFromAnAttachedNativeThread) {
  recordCallbacks();
  auto callBack = probe.get<CallBackFn>("Java_zemtra_nativeCode_JniProbe_callBackFromThread");
  // A 64-bit id above 2^32 shows that jlong crosses the 32-bit calling convention intact.
  const jlong id = 0x123456789ALL;
  const std::u16string text(u"caf\u00e9 \U0001F600 \0end", 12);

  ASSERT_TRUE(callBack(jvm.env(), nullptr, id, jvm.newString(text), 3));

  ASSERT_EQ(received.size(), 3u);
  for (std::size_t i = 0; i < received.size(); ++i) {
    EXPECT_EQ(received[i].id, id + static_cast<jlong>(i));
    EXPECT_EQ(received[i].text, text);
    EXPECT_NE(received[i].thread, std::this_thread::get_id());
  }
  EXPECT_EQ(jvm.calls(kProbeClass, "probeCallback"), 3);
  EXPECT_EQ(jvm.attaches(), 3);
  EXPECT_EQ(jvm.detaches(), 3);
  EXPECT_EQ(jvm.attachedThreads(), 0);
  EXPECT_EQ(jvm.pinnedBuffers(), 0u);
  EXPECT_EQ(jvm.deletedRefs(), 6u);  // each round's class and message
}

TEST_F(ProbeTest, MissingCallbackClassIsReportedAndTheThreadStillDetaches) {
  auto callBack = probe.get<CallBackFn>("Java_zemtra_nativeCode_JniProbe_callBackFromThread");
  EXPECT_FALSE(callBack(jvm.env(), nullptr, 1, jvm.newString(u"x"), 2));
  EXPECT_EQ(jvm.attaches(), 1);
  EXPECT_EQ(jvm.detaches(), 1);
  EXPECT_EQ(jvm.calls(kProbeClass, "probeCallback"), 0);
}

TEST_F(ProbeTest, AnswersTheRniVersionProbe) {
  auto version = probe.get<std::uint32_t (*)()>("RNIGetCompatibleVersion");
  EXPECT_EQ(version(), 0x00020000u);
}

TEST(LibraryTest, UnixPathsBecomeDriveZPaths) {
  EXPECT_EQ(brevan::jnitest::windowsPathOf("/work/main/dist/win32"), "Z:\\work\\main\\dist\\win32");
  EXPECT_EQ(brevan::jnitest::windowsPathOf("C:\\dist"), "C:\\dist");
  EXPECT_EQ(brevan::jnitest::windowsPathOf(""), "");
}

TEST(LibraryTest, MissingLibraryAndExportThrow) {
  EXPECT_THROW(brevan::jnitest::Library("NoSuchLibrary", BREVAN_TESTLIB_DIR), std::runtime_error);
  brevan::jnitest::Library probe("JniProbe", BREVAN_TESTLIB_DIR);
  EXPECT_FALSE(probe.has("Java_zemtra_nativeCode_JniProbe_missing"));
  EXPECT_THROW(probe.address("Java_zemtra_nativeCode_JniProbe_missing"), std::runtime_error);
}

}  // namespace
