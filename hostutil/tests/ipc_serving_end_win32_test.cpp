// Channels of HostUtil.dll at the serving end (direction 0), with the test as the client on the
// other end of both pipes: framing of posted texts, delivery to Java, repair and teardown.
#include <windows.h>

#include <tlhelp32.h>

#include <gtest/gtest.h>

#include "win32/ipc_exports.h"
#include "win32/pipe_peer.h"
#include "testsupport/wait.h"

namespace {

using brevan::hostutil::testing::Deliveries;
using brevan::hostutil::testing::IpcExports;
using brevan::hostutil::testing::IpcHost;
using brevan::hostutil::testing::PipePeer;
using brevan::hostutil::testing::u16;
using brevan::hostutil::testing::uniqueId;
using brevan::testsupport::waitUntil;
using namespace std::chrono_literals;

class ServingEnd : public ::testing::Test {
 protected:
  jlong create(const std::wstring& id) {
    return ipc.createNew(env, nullptr, jvm.newString(u16(id)), 0);
  }

  void SetUp() override { deliveries.clear(); }

  brevan::jnitest::FakeJvm& jvm = IpcHost::get().jvm;
  JNIEnv* env = jvm.env();
  IpcExports& ipc = IpcHost::get().ipc;
  Deliveries& deliveries = IpcHost::get().deliveries;
};

std::wstring upPipe(const std::wstring& id) { return L"\\\\.\\pipe\\toRouter\\" + id; }
std::wstring downPipe(const std::wstring& id) { return L"\\\\.\\pipe\\toClient\\" + id; }

TEST_F(ServingEnd, PostedTextsAreFramedUnlessTheyHoldALengthTag) {
  const std::wstring id = uniqueId(L"frame");
  const jlong channel = create(id);
  ASSERT_NE(channel, 0);
  PipePeer reader(downPipe(id), GENERIC_READ);
  ASSERT_TRUE(reader.open());

  EXPECT_TRUE(ipc.postData(env, nullptr, channel, jvm.newString(u"hello")));
  EXPECT_EQ(reader.readFrame(), std::u16string(u"<LENGTH>6</LENGTH>hello") + u'\0');

  const std::u16string framed = u"<LENGTH>3</LENGTH>ab";
  ipc.postData(env, nullptr, channel, jvm.newString(framed));
  EXPECT_EQ(reader.readFrame(), framed + u'\0') << "already framed: posted as it is";

  // A tag anywhere, even around no digits, counts as framing.
  const std::u16string tagged = u"note <LENGTH></LENGTH> inside";
  ipc.postData(env, nullptr, channel, jvm.newString(tagged));
  EXPECT_EQ(reader.readChars(tagged.size() + 1), tagged + u'\0');

  // Texts longer than one read piece of the Java string and than one pipe block.
  const std::u16string big(5000, u'\u00e9');
  ipc.postData(env, nullptr, channel, jvm.newString(big));
  EXPECT_EQ(reader.readFrame(), u"<LENGTH>5001</LENGTH>" + big + u'\0');

  EXPECT_TRUE(ipc.shutdown(env, nullptr, channel));
}

TEST_F(ServingEnd, InboundMessagesReachJavaWithTheChannelHandle) {
  const std::wstring id = uniqueId(L"deliver");
  const jlong channel = create(id);
  ASSERT_NE(channel, 0);
  EXPECT_EQ(jvm.stringValue(ipc.getId(env, nullptr, channel)), u16(id));
  PipePeer writer(upPipe(id), GENERIC_WRITE);
  PipePeer reader(downPipe(id), GENERIC_READ);
  ASSERT_TRUE(writer.open() && reader.open());

  const std::u16string body =
      u"<BREVAN_IPC_MESSAGE><SOURCE_ID SOURCE_ID=\"peer\"/><DESTINATION_ID DESTINATION_ID=\"x\"/>"
      u"<ACTION ACTION=\"Hi\"/></BREVAN_IPC_MESSAGE>";
  ASSERT_TRUE(writer.writeFrame(body));
  ASSERT_TRUE(deliveries.waitFor(channel, u"ACTION=\"Hi\""));
  const auto received = deliveries.received();
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(received[0].second, body) << "the body as it arrived, without prefix or NUL";
  EXPECT_EQ(jvm.attachedThreads(), 0) << "delivery threads detach after the call";
  EXPECT_TRUE(ipc.readyToTalk(env, nullptr, channel));

  ipc.closeExisting(env, nullptr, channel);
}

TEST_F(ServingEnd, AClientThatBreaksThePipesCanComeBack) {
  const std::wstring id = uniqueId(L"repair");
  const jlong channel = create(id);
  {
    PipePeer writer(upPipe(id), GENERIC_WRITE);
    PipePeer reader(downPipe(id), GENERIC_READ);
    ASSERT_TRUE(writer.open() && reader.open());
  }
  PipePeer writer(upPipe(id), GENERIC_WRITE);
  PipePeer reader(downPipe(id), GENERIC_READ);
  ASSERT_TRUE(writer.open() && reader.open()) << "the serving end waits for its client again";
  ASSERT_TRUE(writer.writeFrame(u"<BREVAN_IPC_MESSAGE><A A=\"again\"/></BREVAN_IPC_MESSAGE>"));
  EXPECT_TRUE(deliveries.waitFor(channel, u"again"));
  EXPECT_TRUE(ipc.readyToTalk(env, nullptr, channel));

  EXPECT_TRUE(ipc.disconnectAndRebuild(env, nullptr, channel));
  EXPECT_TRUE(ipc.readyToTalk(env, nullptr, channel)) << "ready stays set across rebuilds";
  ipc.shutdown(env, nullptr, channel);
}

TEST_F(ServingEnd, CloseExistingOfAZeroHandleDoesNothing) {
  EXPECT_TRUE(ipc.closeExisting(env, nullptr, 0));
}

int threadsOfThisProcess() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  THREADENTRY32 entry{};
  entry.dwSize = sizeof(entry);
  int count = 0;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++count;
  }
  CloseHandle(snapshot);
  return count;
}

DWORD handlesOfThisProcess() {
  DWORD count = 0;
  GetProcessHandleCount(GetCurrentProcess(), &count);
  return count;
}

TEST_F(ServingEnd, ClosingAHundredChannelsLeavesNoThreadOrHandleBehind) {
  // One channel first, so that process-wide parts (message factory, first-use handles) exist.
  ipc.closeExisting(env, nullptr, create(uniqueId(L"warm")));
  ASSERT_TRUE(waitUntil(10000ms, [&] { return threadsOfThisProcess() > 0; }));
  const int threadsBefore = threadsOfThisProcess();
  const DWORD handlesBefore = handlesOfThisProcess();

  for (int i = 0; i < 100; ++i) {
    const std::wstring id = uniqueId(L"many");
    const jlong channel = create(id);
    ASSERT_NE(channel, 0);
    if (i % 4 == 0) {
      // Some with a client on the pipes, so that reads and writes are in flight when closed.
      PipePeer writer(upPipe(id), GENERIC_WRITE);
      PipePeer reader(downPipe(id), GENERIC_READ);
      ipc.postData(env, nullptr, channel, jvm.newString(u"pending"));
      writer.writeFrame(u"<BREVAN_IPC_MESSAGE/>");
      if (i % 8 == 0) {
        ipc.shutdown(env, nullptr, channel);
      } else {
        ipc.closeExisting(env, nullptr, channel);
      }
    } else if (i % 2 == 0) {
      ipc.shutdown(env, nullptr, channel);
    } else {
      ipc.closeExisting(env, nullptr, channel);
    }
  }
  EXPECT_TRUE(waitUntil(10000ms, [&] { return threadsOfThisProcess() <= threadsBefore; }))
      << threadsOfThisProcess() << " threads, " << threadsBefore << " before";
  EXPECT_TRUE(waitUntil(10000ms, [&] { return handlesOfThisProcess() <= handlesBefore + 4; }))
      << handlesOfThisProcess() << " handles, " << handlesBefore << " before";
}

}  // namespace
