// netreplay as a user runs it: frames files in and out, the RULES calls, the learned fields
// printed, and the exit status of bad input.
#include <gtest/gtest.h>

#include <unistd.h>

#include "frame.h"
#include "frame_builder.h"
#include "frames_file.h"
#include "testsupport/files.h"
#include "testsupport/tool_run_posix.h"

namespace brevan::netredirect::test {
namespace {

using brevan::testsupport::readFile;
using brevan::testsupport::runTool;
using brevan::testsupport::writeFile;

const HardwareAddress kHostHardware = {0x02, 0xAA, 0xBB, 0xCC, 0xDD, 0x01};

class NetReplay : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = std::string(BREVAN_BINARY_DIR) + "/netredirect/replay_" + std::to_string(getpid()) +
          "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name();
    ASSERT_EQ(system(("mkdir -p " + dir).c_str()), 0);
  }
  brevan::testsupport::ToolRun replay(const std::string& rules, const Bytes& frames) {
    EXPECT_TRUE(writeFile(dir + "/rules.txt", Bytes(rules.begin(), rules.end())));
    EXPECT_TRUE(writeFile(dir + "/in.frames", frames));
    return runTool(std::string(BREVAN_DIST_DIR) + "/netreplay",
                   {"process", dir + "/in.frames", dir + "/out.frames", dir + "/rules.txt"}, dir);
  }
  std::string dir;
};

TEST_F(NetReplay, ProcessesEveryRecordInOrderAndPrintsTheLearnedFields) {
  const Bytes arp = arpRequest(kHostHardware, kLocalHost, kVirtualPeer);
  const Bytes syn = transportFrame(kTcp, {kHostHardware, kLocalHost, 40000}, {kVirtualServerHardware, kVirtualServer, 139});
  const Bytes remote = transportFrame(kUdp, {kHostHardware, kLocalHost, 40001}, {kVirtualServerHardware, kVirtualServer, 9000});
  const Bytes runt = {1, 2, 3};
  const std::vector<FrameRecord> in = {{1, arp}, {1, syn}, {1, remote}, {2, runt}};
  const std::string rules =
      "addLocalRedirect 1 2 3 4\n"
      "open\n"
      "# the fixed set, then a remote rule to 10.0.0.9:-1 (port 65535)\n"
      "\n"
      "addSMBTranslations\n"
      "addRemoteRedirect -932944796 150994954 9000 -1 1541 67305985\n"
      "record 02-aa-bb-cc-dd-01 100.100.100.195 00-00-00-00-00-00\n";
  const auto run = replay(rules, serializeFramesFile(in));
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "record 02-aa-bb-cc-dd-01 100.100.100.195 02-00-4c-4f-4f-62\n");

  std::vector<FrameRecord> out;
  std::string error;
  ASSERT_TRUE(parseFramesFile(readFile(dir + "/out.frames"), out, error)) << error;
  ASSERT_EQ(out.size(), in.size());
  EXPECT_EQ(out[0].flags, kToStack);
  EXPECT_EQ(arpFieldsOf(out[0].bytes).senderHardware, kVirtualPeerHardware);
  EXPECT_EQ(out[1].flags, kToStack);
  EXPECT_EQ(fieldsOf(out[1].bytes).destinationPort, 1139);
  EXPECT_TRUE(checksumsRecomputeEqual(out[1].bytes));
  EXPECT_EQ(out[2].flags, kToNetwork);
  EXPECT_EQ(fieldsOf(out[2].bytes).destination, Ipv4::fromOctets(10, 0, 0, 9));
  EXPECT_EQ(fieldsOf(out[2].bytes).destinationPort, 0xFFFF);
  EXPECT_EQ(fieldsOf(out[2].bytes).ethDestination, (HardwareAddress{1, 2, 3, 4, 5, 6}));
  EXPECT_TRUE(checksumsRecomputeEqual(out[2].bytes));
  EXPECT_EQ(out[3].flags, 2u);
  EXPECT_EQ(out[3].bytes, runt);
}

TEST_F(NetReplay, RefusesBadInputWithItsExitStatus) {
  const Bytes oneFrame = serializeFramesFile({{1, Bytes(20, 0)}});
  struct Case {
    const char* label;
    std::string rules;
    Bytes frames;
    int status;
  } cases[] = {
      {"unknown call", "addEverything\n", oneFrame, 2},
      {"missing argument", "addLocalRedirect 1 2 3\n", oneFrame, 2},
      {"hex number", "addLocalRedirect 0x1 2 3 4\n", oneFrame, 2},
      {"beyond a Java int", "addLocalRedirect 2147483648 2 3 4\n", oneFrame, 2},
      {"bad record", "record 02-aa 100.100.100.195 00-00-00-00-00-00\n", oneFrame, 2},
      {"frame cut short", "open\n", Bytes(oneFrame.begin(), oneFrame.end() - 1), 1},
      {"header cut short", "open\n", Bytes(oneFrame.begin(), oneFrame.begin() + 5), 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(replay(c.rules, c.frames).status, c.status) << c.label;
  }
  EXPECT_EQ(runTool(std::string(BREVAN_DIST_DIR) + "/netreplay", {"process"}, dir).status, 2);
}

}  // namespace
}  // namespace brevan::netredirect::test
