// AddressTranslator's native methods called as the JVM calls them, through the test JNI host:
// the test build of the library (stand-in adapters fed through its plain exports) natively and
// under Wine, and under Wine also NetRedirect.dll itself, which finds no filter library there.
#include <gtest/gtest.h>

#include <string>

#include "frame.h"
#include "frame_builder.h"
#include "jnitest/fake_jvm.h"
#include "jnitest/library.h"
#include "testsupport/wait.h"

namespace brevan::netredirect::test {
namespace {

using namespace std::chrono_literals;
using brevan::jnitest::Library;
using brevan::testsupport::waitUntil;

using Call = jboolean(JNICALL*)(JNIEnv*, jclass);
using HashCall = jint(JNICALL*)(JNIEnv*, jclass);
using LocalCall = jboolean(JNICALL*)(JNIEnv*, jclass, jint, jint, jint, jint);
using RemoteCall = jboolean(JNICALL*)(JNIEnv*, jclass, jint, jint, jint, jint, jint, jint);

const HardwareAddress kHostHardware = {0x02, 0xAA, 0xBB, 0xCC, 0xDD, 0x01};

// One loaded library's methods; the library stays loaded, as under the JVM: its workers
// outlive the calls.
class AddressTranslator {
 public:
  explicit AddressTranslator(const Library& library) : library_(library) {}
  bool call(const char* method) { return function<Call>(method)(env_, nullptr) == JNI_TRUE; }
  jint hash() { return function<HashCall>("getAdaptorHashCode")(env_, nullptr); }
  bool addLocal(jint a, jint b, jint c, jint d) {
    return function<LocalCall>("addLocalRedirect")(env_, nullptr, a, b, c, d) == JNI_TRUE;
  }
  bool addRemote(jint a, jint b, jint c, jint d, jint e, jint f) {
    return function<RemoteCall>("addRemoteRedirect")(env_, nullptr, a, b, c, d, e, f) == JNI_TRUE;
  }

 private:
  template <class Function>
  Function function(const char* method) {
    return library_.nativeMethod<Function>("AddressTranslator", method);
  }
  const Library& library_;
  brevan::jnitest::FakeJvm jvm_;
  JNIEnv* env_ = jvm_.env();
};

// The stand-in library's plain exports.
struct StandIn {
  explicit StandIn(const Library& library)
      : setUp(library.get<void (*)(const char*, int, int)>("standInSetUp")),
        arrive(library.get<int (*)(int, unsigned, const unsigned char*, unsigned)>("standInArrive")),
        takeSent(library.get<int (*)(int, int, unsigned*, unsigned char*, unsigned)>("standInTakeSent")),
        state(library.get<int (*)(int, int*)>("standInState")),
        failNextAttach(library.get<void (*)(int)>("standInFailNextAttach")) {}

  int mode(int adapter) {
    int values[5] = {};
    return state(adapter, values) ? values[0] : -1;
  }
  bool send(int adapter, uint32_t flags, const Bytes& frame) {
    return arrive(adapter, flags, frame.data(), unsigned(frame.size())) == 1;
  }
  // The next frame the adapter sent on, with where it went; empty when none came.
  Bytes sent(int adapter, uint32_t& destination) {
    Bytes frame(kMaxFrameLength);
    const int length = takeSent(adapter, 5000, &destination, frame.data(), unsigned(frame.size()));
    frame.resize(length < 0 ? 0 : size_t(length));
    return frame;
  }

  void (*setUp)(const char*, int, int);
  int (*arrive)(int, unsigned, const unsigned char*, unsigned);
  int (*takeSent)(int, int, unsigned*, unsigned char*, unsigned);
  int (*state)(int, int*);
  void (*failNextAttach)(int);
};

const Library& standInLibrary() {
  static auto* library = new Library("NetRedirectStandIn", BREVAN_TESTLIB_DIR);
  return *library;
}

TEST(TranslatorJni, StartsFramesThroughStopsRestartsAndCloses) {
  StandIn standIn(standInLibrary());
  AddressTranslator translator(standInLibrary());
  standIn.setUp("ab", 1, 1);
  EXPECT_EQ(translator.hash(), 99);
  EXPECT_FALSE(translator.call("addSMBTranslations"));  // not open yet
  ASSERT_TRUE(translator.call("open"));
  ASSERT_TRUE(translator.call("addSMBTranslations"));
  ASSERT_TRUE(translator.addLocal(kVirtualServer.toJava(), kVirtualPeer.toJava(), 7000, 7001));
  ASSERT_TRUE(translator.addRemote(kVirtualServer.toJava(), 0x0100000A, 80, 8080, 0x0605, 0x04030201));
  ASSERT_TRUE(translator.call("startTranslator"));
  EXPECT_TRUE(translator.call("isTranslatorRunning"));
  ASSERT_TRUE(waitUntil(5s, [&] { return standIn.mode(0) == 3; }));

  const Bytes syn = transportFrame(kTcp, {kHostHardware, kLocalHost, 40000}, {kVirtualServerHardware, kVirtualServer, 7000});
  uint32_t destination = 0;
  for (int round = 0; round < 2; ++round) {
    ASSERT_TRUE(standIn.send(0, kToNetwork, syn));
    const Bytes turned = standIn.sent(0, destination);
    ASSERT_FALSE(turned.empty());
    EXPECT_EQ(destination, kToStack);
    EXPECT_EQ(fieldsOf(turned).destinationPort, 7001);
    EXPECT_TRUE(checksumsRecomputeEqual(turned));
    // Stopped, the adapter is handed back: frames go on untouched.
    ASSERT_TRUE(translator.call("stopTranslator"));
    EXPECT_FALSE(translator.call("isTranslatorRunning"));
    EXPECT_EQ(standIn.mode(0), 0);
    ASSERT_TRUE(standIn.send(0, kToNetwork, syn));
    EXPECT_EQ(standIn.sent(0, destination), syn);
    EXPECT_EQ(destination, kToNetwork);
    if (round == 0) {
      ASSERT_TRUE(translator.call("startTranslator"));
      ASSERT_TRUE(waitUntil(5s, [&] { return standIn.mode(0) == 3; }));
    }
  }
  ASSERT_TRUE(translator.call("close"));
  EXPECT_FALSE(translator.addLocal(1, 2, 3, 4));
}

TEST(TranslatorJni, AnswersPlainlyWithoutDriverOrAdapters) {
  StandIn standIn(standInLibrary());
  AddressTranslator translator(standInLibrary());
  standIn.setUp("", 1, 1);
  EXPECT_EQ(translator.hash(), 0);
  standIn.setUp("ab", 1, 0);
  EXPECT_EQ(translator.hash(), -1);
  EXPECT_FALSE(translator.call("open"));
  standIn.setUp("ab", 0, 1);
  EXPECT_FALSE(translator.call("open"));
  EXPECT_FALSE(translator.call("addSMBTranslations"));
  EXPECT_TRUE(translator.call("startTranslator"));
  EXPECT_TRUE(translator.call("stopTranslator"));
  EXPECT_TRUE(translator.call("close"));
}

TEST(TranslatorJni, AWorkerWhoseEventFailsEndsAtOnce) {
  StandIn standIn(standInLibrary());
  AddressTranslator translator(standInLibrary());
  standIn.setUp("one\ntwo", 1, 1);
  ASSERT_TRUE(translator.call("open"));
  standIn.failNextAttach(0);
  ASSERT_TRUE(translator.call("startTranslator"));
  ASSERT_TRUE(waitUntil(5s, [&] { return standIn.mode(1) == 3; }));
  EXPECT_EQ(standIn.mode(0), 0);
  EXPECT_TRUE(translator.call("isTranslatorRunning"));
  ASSERT_TRUE(translator.call("close"));  // stops the other first
  EXPECT_FALSE(translator.call("isTranslatorRunning"));
  EXPECT_EQ(standIn.mode(1), 0);
}

#ifdef _WIN32
// NetRedirect.dll itself: there is no filter library under Wine, so open fails and every other
// method gives its plain result, without a crash.
TEST(TranslatorJni, TheRealLibraryWithoutFilterLibraryFailsOpenPlainly) {
  static auto* library = new Library("NetRedirect");
  AddressTranslator translator(*library);
  EXPECT_FALSE(translator.call("open"));
  EXPECT_EQ(translator.hash(), -1);
  EXPECT_FALSE(translator.call("addSMBTranslations"));
  EXPECT_FALSE(translator.addLocal(1, 2, 3, 4));
  EXPECT_FALSE(translator.addRemote(1, 2, 3, 4, 5, 6));
  EXPECT_TRUE(translator.call("startTranslator"));
  EXPECT_FALSE(translator.call("isTranslatorRunning"));
  EXPECT_TRUE(translator.call("stopTranslator"));
  EXPECT_TRUE(translator.call("close"));
  EXPECT_FALSE(translator.call("open"));  // asked again, still no library
}
#endif

}  // namespace
}  // namespace brevan::netredirect::test
