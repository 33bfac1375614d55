// Client channels of HostUtil.dll (direction 1) through the test router: admission, messages
// between Java-side clients, broken pipes, and the router's order to end the process.
#include <windows.h>

#include <gtest/gtest.h>

#include "testsupport/child_process_win32.h"
#include "testsupport/text.h"
#include "testsupport/wait.h"
#include "win32/ipc_exports.h"

namespace {

using brevan::hostutil::testing::IpcHost;
using brevan::hostutil::testing::u16;
using brevan::hostutil::testing::uniqueId;
using brevan::testsupport::ChildProcess;
using brevan::testsupport::waitUntil;
using brevan::testsupport::widen;
using namespace std::chrono_literals;

std::wstring routerLog() {
  wchar_t folder[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, folder);
  return std::wstring(folder) + L"hostutil_router_" + std::to_wstring(GetCurrentProcessId()) +
         L".log";
}

std::u16string message(const std::wstring& source, const std::wstring& destination,
                       const std::u16string& action, const std::u16string& extra = u"") {
  return u"<BREVAN_IPC_MESSAGE><SOURCE_ID SOURCE_ID=\"" + u16(source) +
         u"\"/><DESTINATION_ID DESTINATION_ID=\"" + u16(destination) + u"\"/><ACTION ACTION=\"" +
         action + u"\"/>" + extra + u"</BREVAN_IPC_MESSAGE>";
}

class ClientEnd : public ::testing::Test {
 protected:
  void SetUp() override { host.deliveries.clear(); }

  jlong create(const std::wstring& id) {
    return host.ipc.createNew(env, nullptr, host.jvm.newString(u16(id)), 1);
  }
  bool ready(jlong channel) { return host.ipc.readyToTalk(env, nullptr, channel); }
  void post(jlong channel, const std::u16string& text) {
    host.ipc.postData(env, nullptr, channel, host.jvm.newString(text));
  }
  std::unique_ptr<ChildProcess> startRouter() {
    return std::make_unique<ChildProcess>(widen(brevan::jnitest::windowsPathOf(HOSTUTIL_ROUTER)),
                                          L"\"" + routerLog() + L"\"");
  }

  IpcHost& host = IpcHost::get();
  JNIEnv* env = host.jvm.env();
};

TEST_F(ClientEnd, ClientsTalkThroughTheRouterAndStayReadyAcrossBrokenPipes) {
  const std::wstring a = uniqueId(L"a");
  const std::wstring b = uniqueId(L"b");
  const jlong channelA = create(a);
  ASSERT_NE(channelA, 0);
  Sleep(300);
  EXPECT_FALSE(ready(channelA)) << "no router yet: admission has not happened";

  auto router = startRouter();
  ASSERT_TRUE(router->started());
  ASSERT_TRUE(waitUntil(15000ms, [&] { return ready(channelA); }));
  const jlong channelB = create(b);
  ASSERT_TRUE(waitUntil(15000ms, [&] { return ready(channelB); }));

  post(channelA, message(a, b, u"Ping"));
  ASSERT_TRUE(host.deliveries.waitFor(channelB, u"ACTION=\"Ping\""));
  post(channelB, message(b, a, u"Pong"));
  ASSERT_TRUE(host.deliveries.waitFor(channelA, u"ACTION=\"Pong\""));

  // The router rebuilds A's pair: A's reader sees a broken pipe and A sets its pipes up again.
  post(channelA, message(a, L"BrevanService", u"RouterTestBreakPipes",
                         u"<TARGET TARGET=\"" + u16(a) + u"\"/>"));
  Sleep(500);
  EXPECT_TRUE(ready(channelA)) << "ready is never cleared once set";
  // The router's disconnect reaches A's reader as "pipe not connected", which ends the reader
  // without a repair; the Java side sets the pipes up again.
  EXPECT_TRUE(host.ipc.disconnectAndRebuild(env, nullptr, channelA));
  EXPECT_TRUE(ready(channelA));
  post(channelB, message(b, a, u"AfterBreak"));
  EXPECT_TRUE(host.deliveries.waitFor(channelA, u"ACTION=\"AfterBreak\"", 15000));

  EXPECT_TRUE(host.ipc.shutdown(env, nullptr, channelA));
  EXPECT_TRUE(host.ipc.closeExisting(env, nullptr, channelB));
  if (!HasFailure()) DeleteFileW(routerLog().c_str());
}

TEST_F(ClientEnd, ShutdownImmediatelyFromTheServiceEndsTheProcessWithStatusZero) {
  auto router = startRouter();
  const std::wstring victim = uniqueId(L"victim");
  ChildProcess client(widen(brevan::jnitest::windowsPathOf(HOSTUTIL_PROBE)),
                      L"ipcclient " + victim);
  ASSERT_TRUE(client.started());
  const std::wstring sender = uniqueId(L"sender");
  const jlong channel = create(sender);
  ASSERT_TRUE(waitUntil(15000ms, [&] { return ready(channel); }));

  // Routed to the victim as a message of the service; the router holds it until admission.
  post(channel, message(L"BrevanService", victim, u"sHuTdOwNiMmEdIaTeLy"));
  EXPECT_EQ(client.wait(20000), 0);
  host.ipc.shutdown(env, nullptr, channel);
  DeleteFileW(routerLog().c_str());
}

}  // namespace
