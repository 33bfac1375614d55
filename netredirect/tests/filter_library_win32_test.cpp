// NetRedirect.dll unchanged over a test filter library of the expected shape: the library is
// found and bound at run time, the driver opened, the adapters listed, and frames run through
// the workers and the real backend's frame buffer; stopping hands the adapters back.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "adaptor_hash.h"
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

const HardwareAddress kHostHardware = {0x02, 0xAA, 0xBB, 0xCC, 0xDD, 0x01};

TEST(FilterLibrary, NetRedirectRunsFramesThroughTheLoadedLibrary) {
  const std::string fakeDir = BREVAN_FAKE_FILTER_DIR;
  // NetRedirect.dll asks for "ndisapi.dll" by name: the test's folder is searched for it.
  ASSERT_TRUE(SetDllDirectoryA(brevan::jnitest::hostPath(fakeDir).c_str()));
  static auto* fake = new Library("ndisapi", fakeDir);
  static auto* library = new Library("NetRedirect");
  auto arrive = fake->get<void (*)(int, unsigned, const unsigned char*, unsigned)>("fakeArrive");
  auto takeSent = fake->get<int (*)(int, unsigned*, unsigned char*, unsigned)>("fakeTakeSent");
  auto state = fake->get<int (*)(int)>("fakeState");
  brevan::jnitest::FakeJvm jvm;
  auto call = [&](const char* method) {
    auto function =
        library->nativeMethod<jboolean(JNICALL*)(JNIEnv*, jclass)>("AddressTranslator", method);
    return function(jvm.env(), nullptr) == JNI_TRUE;
  };
  auto sent = [&](int adapter, unsigned& destination) {
    Bytes frame(kMaxFrameLength);
    int length = -1;
    waitUntil(5s, [&] { return (length = takeSent(adapter, &destination, frame.data(), unsigned(frame.size()))) >= 0; });
    frame.resize(length < 0 ? 0 : size_t(length));
    return frame;
  };

  const jint hash = library->get<jint(JNICALL*)(JNIEnv*, jclass)>(
      "Java_zemtra_nativeCode_AddressTranslator_getAdaptorHashCode")(jvm.env(), nullptr);
  EXPECT_EQ(hash, adaptorHash({{"\\DEVICE\\{FAKE-ADAPTER-1}", 0}, {"\\DEVICE\\{FAKE-ADAPTER-2}", 0}}));
  ASSERT_TRUE(call("open"));
  ASSERT_TRUE(call("addSMBTranslations"));
  ASSERT_TRUE(call("startTranslator"));
  ASSERT_TRUE(waitUntil(5s, [&] { return state(0) == 0x103 && state(1) == 0x103; }));

  const Bytes syn = transportFrame(kTcp, {kHostHardware, kLocalHost, 40000}, {kVirtualServerHardware, kVirtualServer, 139});
  arrive(1, kToNetwork, syn.data(), unsigned(syn.size()));
  unsigned destination = 0;
  const Bytes turned = sent(1, destination);
  ASSERT_FALSE(turned.empty());
  EXPECT_EQ(destination, kToStack);
  EXPECT_EQ(fieldsOf(turned).destinationPort, 1139);
  EXPECT_TRUE(checksumsRecomputeEqual(turned));
  const Bytes arp = arpRequest(kHostHardware, kLocalHost, kVirtualPeer);
  arrive(0, kToNetwork, arp.data(), unsigned(arp.size()));
  EXPECT_EQ(arpFieldsOf(sent(0, destination)).senderHardware, kVirtualPeerHardware);
  EXPECT_EQ(destination, kToStack);

  ASSERT_TRUE(call("stopTranslator"));
  EXPECT_EQ(state(0), 0);  // mode 0, event unregistered
  EXPECT_EQ(state(1), 0);
  arrive(1, kToNetwork, syn.data(), unsigned(syn.size()));
  EXPECT_EQ(sent(1, destination), syn);
  ASSERT_TRUE(call("close"));
}

}  // namespace
}  // namespace brevan::netredirect::test
