// ScreenSource.dll called as the JVM calls it, through the test JNI host: slots, the packet
// thread and its notification, and packets of the real desktop that the viewer must rebuild
// while a second process's window moves and repaints.
#include <windows.h>

#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

#include "packet_format.h"
#include "pixel_coder.h"
#include "screen_library_host.h"
#include "test_window_layout.h"
#include "testsupport/child_process_win32.h"
#include "testsupport/wait.h"
#include "viewer/packet_viewer.h"
#include "win32/window_grabber_win32.h"
#include "win32/window_selection_win32.h"

namespace brevan::screensource::test {
namespace {

using namespace std::chrono_literals;
using brevan::testsupport::waitUntil;

constexpr char kClass[] = "zemtra/nativeCode/WindowSourceNative";
constexpr jsize kPacketCapacity = 16 << 20;

class ScreenJni : public ::testing::Test {
 protected:
  using SlotCall = jint(JNICALL*)(JNIEnv*, jclass, jint);
  using NoArgCall = jint(JNICALL*)(JNIEnv*, jclass);

  void SetUp() override {
    packetArray = jvm.newByteArray(std::vector<uint8_t>(kPacketCapacity));
    shortArray = jvm.newByteArray(std::vector<uint8_t>(4, 0xEE));
    jvm.registerStaticMethod(kClass, "notifyPendingMessage", "(II)V",
                             [this](const std::vector<jvalue>& args) { onPacket(args[0].i); });
  }

  template <class Function>
  Function method(const char* name) {
    return screenMethod<Function>(name);
  }
  jint call(const char* name, jint slot) { return method<SlotCall>(name)(env, nullptr, slot); }
  jint desktop() { return method<NoArgCall>("getDesktopWindow")(env, nullptr); }

  // Runs on the packet thread, attached: Java copies the packet from inside the notification.
  void onPacket(jint length) {
    JNIEnv* threadEnv = attachedEnv(jvm);
    ASSERT_NE(threadEnv, nullptr);
    auto copy = method<jint(JNICALL*)(JNIEnv*, jclass, jbyteArray)>("copyCurrentDataPacket");
    // An array shorter than the announced length gets nothing, and the packet stays.
    EXPECT_EQ(copy(threadEnv, nullptr, shortArray), 1);
    EXPECT_EQ(jvm.bytes(shortArray), std::vector<uint8_t>(4, 0xEE));
    EXPECT_EQ(copy(threadEnv, nullptr, packetArray), 1);
    std::vector<uint8_t>& bytes = jvm.bytes(packetArray);
    std::lock_guard<std::mutex> lock(mutex);
    packets.emplace_back(bytes.begin(), bytes.begin() + length);
    if (closeFromCallback >= 0) {
      EXPECT_EQ(method<SlotCall>("closeWindow")(threadEnv, nullptr, closeFromCallback), 0);
      closeFromCallback = -1;
    }
  }
  size_t packetCount() {
    std::lock_guard<std::mutex> lock(mutex);
    return packets.size();
  }

  brevan::jnitest::FakeJvm jvm;
  JNIEnv* env = jvm.env();
  jbyteArray packetArray = nullptr;
  jbyteArray shortArray = nullptr;
  std::mutex mutex;
  std::vector<std::vector<uint8_t>> packets;
  jint closeFromCallback = -1;
};

TEST_F(ScreenJni, SlotsAreTakenLowestFirstAndCheckedEverywhere) {
  std::vector<jint> slots;
  for (int i = 0; i < 10; ++i) slots.push_back(desktop());
  EXPECT_EQ(slots, (std::vector<jint>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
  EXPECT_EQ(desktop(), -1) << "an eleventh source";
  EXPECT_EQ(call("closeWindow", 3), 0);
  EXPECT_EQ(call("closeWindow", 3), 1) << "an empty slot";
  EXPECT_EQ(desktop(), 3);
  for (jint slot : {-1, 10, 1000}) {
    EXPECT_EQ(call("closeWindow", slot), 0);
    EXPECT_EQ(call("getPixelWidth", slot), 0);
    EXPECT_EQ(call("startSendingUpdates", slot), 0);
  }
  auto named = method<jint(JNICALL*)(JNIEnv*, jclass, jstring)>("getNamedWindow");
  EXPECT_EQ(named(env, nullptr, nullptr), -1);
  for (jint slot = 0; slot < 10; ++slot) EXPECT_EQ(call("closeWindow", slot), 0);
  auto copy = method<jint(JNICALL*)(JNIEnv*, jclass, jbyteArray)>("copyCurrentDataPacket");
  EXPECT_EQ(copy(env, nullptr, nullptr), 1);
  EXPECT_EQ(jvm.pinnedBuffers(), 0u);

  // The plain exports serve native callers without Java: they return, slot in hand.
  auto plainDesktop = screenLibrary().get<int (*)()>("getDesktopWindow");
  auto plainClose = screenLibrary().get<int (*)()>("closeWindow");
  EXPECT_EQ(plainDesktop(), 0);
  EXPECT_EQ(plainClose(), 0) << "closes slot 0";
  EXPECT_EQ(plainClose(), 1) << "slot 0 is empty now";
}

TEST_F(ScreenJni, PacketsOfTheDesktopRebuildTheScreen) {
  const std::string ready = brevan::testsupport::scratchPath("jni-windows-ready");
  brevan::testsupport::ChildProcess program("screensource_test_window.exe",
                                            {"jni" + std::to_string(GetCurrentProcessId()), ready});
  ASSERT_TRUE(brevan::testsupport::waitForLine(ready, "ready", 20000));
  auto named = method<jint(JNICALL*)(JNIEnv*, jclass, jstring)>("getNamedWindow");
  const std::wstring title = windowTitlePrefix() + L"jni";
  const jint windowSlot =
      named(env, nullptr, jvm.newString(std::u16string(title.begin(), title.end())));
  ASSERT_GE(windowSlot, 0);
  EXPECT_EQ(call("getPixelWidth", windowSlot), kWindowWidth);
  EXPECT_EQ(call("closeWindow", windowSlot), 0);

  const jint slot = desktop();
  ASSERT_GE(slot, 0);
  const RECT screen = [] {
    RECT r{};
    GetWindowRect(GetDesktopWindow(), &r);
    return r;
  }();
  EXPECT_EQ(call("getPixelWidth", slot), screen.right - screen.left);
  EXPECT_EQ(call("getPixelHeight", slot), screen.bottom - screen.top);
  ASSERT_NE(call("startSendingUpdates", slot), 0);
  ASSERT_TRUE(waitUntil(5s, [&] { return packetCount() > 0; }));

  // The other process's window moves in steps and repaints itself at every place.
  HWND window = brevan::screensource::win32::findNamedWindow(title);
  ASSERT_NE(window, nullptr);
  for (int step = 1; step <= 6; ++step) {
    SetWindowPos(window, nullptr, kWindowLeft + 24 * step, kWindowTop + 16 * step, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    Sleep(150);
  }
  Sleep(2000);  // hooks and the poller catch up
  EXPECT_EQ(call("closeWindow", slot), 0);

  ASSERT_FALSE(packets.empty());
  EXPECT_EQ(packets.front().front(), kAreaRecord);
  PacketViewer viewer;
  std::string error;
  for (const std::vector<uint8_t>& packet : packets)
    ASSERT_TRUE(viewer.apply(packet.data(), packet.size(), error)) << error;
  auto grabber = brevan::screensource::win32::makeDesktopGrabber();
  const Area area = grabber->currentArea();
  const uint32_t* grab = grabber->grab(0, 0, area.width, area.height);
  ASSERT_NE(grab, nullptr);
  ASSERT_EQ(viewer.width(), area.width);
  const std::vector<uint32_t> frame = viewer.frame();
  const std::vector<uint32_t> shown = quantisedFrame(grab, area.width, area.height, 3);
  ASSERT_EQ(frame.size(), shown.size());
  int differing = 0;
  for (size_t i = 0; i < frame.size(); ++i) differing += frame[i] != shown[i];
  EXPECT_EQ(differing, 0) << "of " << area.width * area.height << " pixels, after "
                          << packets.size() << " packets";
}

TEST_F(ScreenJni, ClosingFromInsideTheNotificationIsSafe) {
  const jint slot = desktop();
  ASSERT_GE(slot, 0);
  {
    std::lock_guard<std::mutex> lock(mutex);
    closeFromCallback = slot;
  }
  ASSERT_NE(call("startSendingUpdates", slot), 0);
  ASSERT_TRUE(waitUntil(5s, [&] { return packetCount() > 0; }));
  const size_t seen = packetCount();
  Sleep(300);
  EXPECT_EQ(packetCount(), seen) << "a closed source sends nothing more";
  EXPECT_TRUE(waitUntil(2s, [&] { return jvm.attachedThreads() == 0; }))
      << "the packet thread detaches as it ends";
  EXPECT_EQ(desktop(), slot) << "the slot was free at once";
  EXPECT_EQ(call("closeWindow", slot), 0);
}

}  // namespace
}  // namespace brevan::screensource::test
