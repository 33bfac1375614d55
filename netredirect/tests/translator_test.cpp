// The translator's workers over the stand-in backend: frames through, stop and restart, the
// adapters handed back when workers end, and the calls' results around open and close.
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <thread>

#include "adaptor_hash.h"
#include "frame_builder.h"
#include "stand_in_filter.h"
#include "testsupport/wait.h"
#include "translator.h"

namespace brevan::netredirect::test {
namespace {

using namespace std::chrono_literals;
using brevan::testsupport::waitUntil;

const HardwareAddress kHostHardware = {0x02, 0xAA, 0xBB, 0xCC, 0xDD, 0x01};
const HardwareAddress kGatewayHardware = {0x02, 0x11, 0x22, 0x33, 0x44, 0x55};

class TranslatorTest : public ::testing::Test {
 protected:
  void SetUp() override { filter.setAdapters({"first", "second"}); }

  void arrive(size_t adapter, uint32_t flags, const Bytes& frame) {
    filter.adapter(adapter)->arrive(flags, frame.data(), frame.size());
  }
  FrameRecord sent(size_t adapter) {
    FrameRecord record;
    EXPECT_TRUE(filter.adapter(adapter)->takeSent(5s, record));
    return record;
  }
  bool nothingSent(size_t adapter) {
    FrameRecord record;
    return !filter.adapter(adapter)->takeSent(50ms, record);
  }
  bool allTunnelling() {
    return filter.adapter(0)->mode() == kModeTunnel && filter.adapter(1)->mode() == kModeTunnel;
  }
  Bytes synToSmb() const {
    return transportFrame(kTcp, {kHostHardware, kLocalHost, 40000},
                          {kVirtualServerHardware, kVirtualServer, 139});
  }

  StandInFilter filter;
  Translator translator{filter, 2s};
};

TEST_F(TranslatorTest, RunsFramesThroughEachAdaptersWorkerUntilStopped) {
  ASSERT_TRUE(translator.open());
  ASSERT_TRUE(translator.addSmbTranslations());
  ASSERT_TRUE(translator.start());
  EXPECT_TRUE(translator.isRunning());
  ASSERT_TRUE(waitUntil(5s, [&] { return allTunnelling(); }));

  const Bytes hello = transportFrame(kUdp, {kHostHardware, kLocalHost, 1}, {kGatewayHardware, Ipv4::fromOctets(100, 100, 100, 1), 2});
  arrive(0, kToNetwork, hello);
  EXPECT_EQ(sent(0).flags, kToNetwork);
  arrive(0, kToNetwork, synToSmb());
  const FrameRecord turned = sent(0);
  EXPECT_EQ(turned.flags, kToStack);
  EXPECT_EQ(fieldsOf(turned.bytes).destinationPort, 1139);
  EXPECT_TRUE(checksumsRecomputeEqual(turned.bytes));
  EXPECT_EQ(translator.learned(0).localAddress, kLocalHost);
  // Each adapter learns for itself: the second knows no local address and rewrites nothing.
  arrive(1, kToStack, synToSmb());
  EXPECT_EQ(sent(1).bytes, synToSmb());
  EXPECT_TRUE(translator.learned(1).localAddress.isZero());

  ASSERT_TRUE(translator.stop());
  EXPECT_FALSE(translator.isRunning());
  for (size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(filter.adapter(i)->mode(), kModeNone);
    EXPECT_FALSE(filter.adapter(i)->attached());
    EXPECT_EQ(filter.adapter(i)->detaches(), 1);
  }
  // Mode 0: frames go straight on, untouched.
  arrive(0, kToNetwork, synToSmb());
  EXPECT_EQ(sent(0).bytes, synToSmb());

  // A restart picks up the same records and rules.
  ASSERT_TRUE(translator.start());
  ASSERT_TRUE(waitUntil(5s, [&] { return allTunnelling(); }));
  arrive(0, kToNetwork, synToSmb());
  EXPECT_EQ(sent(0).flags, kToStack);
  EXPECT_EQ(filter.adapter(0)->attaches(), 2);
  ASSERT_TRUE(translator.close());
  EXPECT_FALSE(translator.isRunning());
  EXPECT_EQ(filter.adapter(0)->mode(), kModeNone);
}

TEST_F(TranslatorTest, PassesOnWhatIsStillQueuedWhenStopping) {
  ASSERT_TRUE(translator.open());
  ASSERT_TRUE(translator.start());
  ASSERT_TRUE(waitUntil(5s, [&] { return allTunnelling(); }));
  // Frames queued but not signalled: detach the event so the worker does not see them.
  filter.adapter(0)->detach();
  for (int i = 0; i < 5; ++i) arrive(0, kToNetwork, synToSmb());
  EXPECT_EQ(filter.adapter(0)->queued(), 5u);
  ASSERT_TRUE(translator.stop());
  EXPECT_EQ(filter.adapter(0)->queued(), 0u);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(sent(0).bytes, synToSmb());
}

// Frames keep arriving while the translator stops: every one of them leaves the adapter, the
// one in the worker's hand included.
TEST_F(TranslatorTest, StoppingUnderTrafficLosesNoFrame) {
  ASSERT_TRUE(translator.open());
  ASSERT_TRUE(translator.start());
  ASSERT_TRUE(waitUntil(5s, [&] { return allTunnelling(); }));
  constexpr int kFrames = 3000;
  std::thread traffic([&] {
    for (int i = 0; i < kFrames; ++i) arrive(0, kToNetwork, synToSmb());
  });
  ASSERT_TRUE(waitUntil(5s, [&] { return filter.adapter(0)->queued() > 0; }, 1ms));
  ASSERT_TRUE(translator.stop());
  traffic.join();
  int left = 0;
  FrameRecord record;
  while (filter.adapter(0)->takeSent(200ms, record)) ++left;
  EXPECT_EQ(left, kFrames);
}

TEST_F(TranslatorTest, AWorkerWhoseEventFailsEndsAloneAndLeavesNoTrace) {
  ASSERT_TRUE(translator.open());
  filter.adapter(1)->failNextAttach(true);
  ASSERT_TRUE(translator.start());
  ASSERT_TRUE(waitUntil(5s, [&] { return filter.adapter(0)->mode() == kModeTunnel; }));
  EXPECT_TRUE(translator.isRunning());
  EXPECT_EQ(filter.adapter(1)->mode(), kModeNone);
  EXPECT_EQ(filter.adapter(1)->attaches(), 0);
  ASSERT_TRUE(translator.stop());
}

TEST_F(TranslatorTest, CallsAnswerPlainlyAroundOpenAndClose) {
  EXPECT_FALSE(translator.addSmbTranslations());
  EXPECT_FALSE(translator.addLocalRedirect(1, 2, 3, 4));
  EXPECT_FALSE(translator.addRemoteRedirect(1, 2, 3, 4, 5, 6));
  EXPECT_TRUE(translator.stop());  // nothing runs
  EXPECT_FALSE(translator.isRunning());
  EXPECT_EQ(translator.adaptorHashCode(), adaptorHash({{"first", 1}, {"second", 2}}));

  ASSERT_TRUE(translator.open());
  EXPECT_EQ(translator.adapterCount(), 2u);
  EXPECT_TRUE(translator.addLocalRedirect(1, 2, 3, 4));
  ASSERT_TRUE(translator.close());
  EXPECT_FALSE(translator.addLocalRedirect(1, 2, 3, 4));

  filter.setQueryWorks(false);
  EXPECT_EQ(translator.adaptorHashCode(), -1);
  EXPECT_FALSE(translator.open());
  filter.setQueryWorks(true);
  filter.setDriverLoaded(false);
  EXPECT_FALSE(translator.open());
  EXPECT_FALSE(translator.addSmbTranslations());
}

TEST_F(TranslatorTest, ASecondOpenStopsTheWorkersAndEmptiesTheTables) {
  ASSERT_TRUE(translator.open());
  ASSERT_TRUE(translator.addSmbTranslations());
  ASSERT_TRUE(translator.start());
  ASSERT_TRUE(waitUntil(5s, [&] { return allTunnelling(); }));
  ASSERT_TRUE(translator.start());  // a start while running stops the old set first
  EXPECT_EQ(filter.adapter(0)->detaches(), 1);
  ASSERT_TRUE(waitUntil(5s, [&] { return filter.adapter(0)->attaches() == 2; }));
  ASSERT_TRUE(translator.open());
  EXPECT_FALSE(translator.isRunning());
  ASSERT_TRUE(translator.start());
  ASSERT_TRUE(waitUntil(5s, [&] { return allTunnelling(); }));
  arrive(0, kToNetwork, synToSmb());
  EXPECT_EQ(sent(0).bytes, synToSmb());  // learned nothing yet, and no rules
}

// A worker stuck in handing a frame on: close keeps the tables and says so, start refuses to
// add a second set of workers; once it is free both go through.
TEST_F(TranslatorTest, AWorkerThatWillNotStopKeepsTablesAndBlocksAStart) {
  Translator quick(filter, 100ms);
  std::mutex mutex;
  std::condition_variable released;
  bool free = false;
  filter.adapter(0)->setSink([&](uint32_t, const uint8_t*, size_t) {
    std::unique_lock<std::mutex> lock(mutex);
    released.wait(lock, [&] { return free; });
  });
  ASSERT_TRUE(quick.open());
  ASSERT_TRUE(quick.start());
  ASSERT_TRUE(waitUntil(5s, [&] { return allTunnelling(); }));
  arrive(0, kToNetwork, synToSmb());
  ASSERT_TRUE(waitUntil(5s, [&] { return filter.adapter(0)->queued() == 0; }));
  EXPECT_FALSE(quick.close());
  EXPECT_TRUE(quick.addSmbTranslations());  // the tables are still there
  EXPECT_FALSE(quick.start());
  EXPECT_TRUE(quick.isRunning());
  {
    std::lock_guard<std::mutex> lock(mutex);
    free = true;
  }
  released.notify_all();
  EXPECT_TRUE(quick.close());
  EXPECT_FALSE(quick.isRunning());
  EXPECT_FALSE(quick.addSmbTranslations());
}

TEST_F(TranslatorTest, ExitCleanUpHandsEveryAdapterBack) {
  ASSERT_TRUE(translator.open());
  ASSERT_TRUE(translator.start());
  ASSERT_TRUE(waitUntil(5s, [&] { return allTunnelling(); }));
  translator.exitCleanUp();
  ASSERT_TRUE(waitUntil(5s, [&] { return !translator.isRunning(); }));
  for (size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(filter.adapter(i)->mode(), kModeNone);
    EXPECT_EQ(filter.adapter(i)->detaches(), 1);  // once, though both sides let go
  }
}

}  // namespace
}  // namespace brevan::netredirect::test
