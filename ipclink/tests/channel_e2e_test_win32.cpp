// End to end through the test router: every client and the router run in processes of their
// own with time limits; ids carry this process's id. These tests share the fixed service pipes
// of "BrevanService", so CTest runs them one at a time (RESOURCE_LOCK).
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "testsupport/child_process_win32.h"

namespace brevan::ipclink::test {
namespace {

using namespace brevan::testsupport;

const char kRouter[] = "ipclink_test_router.exe";
const char kClient[] = "ipclink_test_client.exe";
const DWORD kClientLimitMs = 120000;
// The burst takes a few seconds on a quiet machine; the limit leaves room for a loaded one.
const DWORD kBurstLimitMs = 60000;

int count(const std::vector<std::string>& lines, const std::string& line) {
  return static_cast<int>(std::count(lines.begin(), lines.end(), line));
}

bool contains(const std::vector<std::string>& lines, const std::string& line) {
  return count(lines, line) > 0;
}

TEST(Routing, ClientStartedBeforeRouterIsAdmittedAndExchangesWithEveryListener) {
  std::string a = uniqueId("early"), b = uniqueId("late");
  std::string log = scratchPath("router.log"), reportA = scratchPath("a.txt"),
              reportB = scratchPath("b.txt");
  ChildProcess clientA(kClient, {a, reportA, "listeners=2", "own-pipes", "post=" + b + ":25:200:0",
                                 "expect=25", "sleep=500", "shutdown", "dump-lines"});
  Sleep(1500);  // the router is not there yet: the client keeps retrying
  ChildProcess router(kRouter, {log});
  ASSERT_TRUE(waitForLine(log, "ready", 20000));
  ChildProcess clientB(kClient, {b, reportB, "listeners=2", "own-pipes", "post=" + a + ":25:200:0",
                                 "expect=25", "sleep=500", "shutdown"});
  EXPECT_EQ(clientA.wait(kClientLimitMs), 0);
  EXPECT_EQ(clientB.wait(kClientLimitMs), 0);
  auto resultA = readReport(reportA);
  EXPECT_EQ(resultA["received"], "25");
  EXPECT_EQ(resultA["duplicates"], "0");
  EXPECT_EQ(resultA["overlaps"], "0");
  EXPECT_EQ(readReport(reportB)["received"], "25");

  // Each client's goodbye comes in on its own pipe thread of the router, in either order.
  ASSERT_TRUE(waitForLine(log, "goodbye " + b, 10000));
  ASSERT_TRUE(waitForLine(log, "goodbye " + a, 10000));
  auto routerLines = readLines(log);
  EXPECT_EQ(count(routerLines, "admit " + a), 1);
  EXPECT_EQ(count(routerLines, "admit " + b), 1);

  // The status lines come through the output function with their exact texts.
  std::vector<std::string> lines;
  for (const auto& line : readLines(reportA))
    if (line.rfind("line ", 0) == 0) lines.push_back(line.substr(5));
  for (const std::string& expected : {
           a + ": Initializing channel - Start  (direction:TO ROUTER)",
           a + ": Initializing channel - Finished",
           a + ": setupPipesThread (!routerHasBeenNegotiatedWith)",
           a + ": negotiateFirstTimeConnectionWithRouter - Start",
           a + ": setupWritePipe (\\\\.\\pipe\\toRouter\\BrevanService) - Start",
           a + ": PipeWrite() outboundConnectionStatus == 0",
           a + ": processMessageFromServer() - Start",
           a + ": RebuildChannel() - Start",
           a + ": RebuildChannel() - Waiting for Inbound & Outbound to close...",
           a + ": CloseInboundPipe() - Finish",
           a + ": RebuildChannel() - Finish",
           a + ": setupPipesThread (routerHasBeenNegotiatedWith)",
           a + ": setupReadPipe (\\\\.\\pipe\\toClient\\" + a + ") - Finished",
           a + ": startDataQueueProcessingThread() - pipeWrite() returned FAIL.  Waiting to try "
               "again...",
           a + ": sendToListenerThread() - Parent handle realized",
           a + ": tellRouterToLetGo() - Finish",
           "Shutdown() - (channel " + a + ") - Start",
           "Shutdown() - (channel " + a +
               ") - Waiting for outbound messages queue to empty - Finished...",
           "Shutdown() - (channel " + a + ") - Finish",
       }) {
    EXPECT_TRUE(contains(lines, expected)) << expected;
  }
  bool watcher = std::any_of(lines.begin(), lines.end(), [](const std::string& l) {
    return l.rfind("This->inboundPipe: ", 0) == 0;
  });
  EXPECT_TRUE(watcher);
}

TEST(Burst, LargeMessagesAndTenThousandArriveWholeAndOnce) {
  std::string a = uniqueId("big"), b = uniqueId("sink");
  std::string log = scratchPath("router.log"), reportA = scratchPath("a.txt"),
              reportB = scratchPath("b.txt");
  ChildProcess router(kRouter, {log});
  ASSERT_TRUE(waitForLine(log, "ready", 20000));
  ChildProcess clientB(
      kClient, {b, reportB, "own-pipes", "step-limit=" + std::to_string(kBurstLimitMs - 10000),
                "expect=10005"});
  ChildProcess clientA(kClient, {a, reportA, "own-pipes", "post=" + b + ":5:20000:0",
                                 "post=" + b + ":10000:100:5", "shutdown"});
  EXPECT_EQ(clientA.wait(kBurstLimitMs), 0);
  EXPECT_EQ(clientB.wait(kBurstLimitMs), 0);
  auto result = readReport(reportB);
  EXPECT_EQ(result["received"], "10005");
  EXPECT_EQ(result["duplicates"], "0");
  EXPECT_EQ(result["corrupt"], "0");
}

TEST(Recovery, RestartedRouterIsRejoinedInOrderWithoutSecondAdmission) {
  std::string a = uniqueId("stay"), b = uniqueId("peer");
  std::string log1 = scratchPath("router1.log"), log2 = scratchPath("router2.log");
  std::string reportA = scratchPath("a.txt"), reportB = scratchPath("b.txt");
  std::string down = scratchPath("router-down"), posted = scratchPath("posted");
  std::string arrived = scratchPath("first-arrived");
  auto router1 = std::make_unique<ChildProcess>(kRouter, std::vector<std::string>{log1});
  ASSERT_TRUE(waitForLine(log1, "ready", 20000));
  ChildProcess clientB(kClient,
                       {b, reportB, "own-pipes", "expect=1", "touch=" + arrived, "expect=11"});
  ChildProcess clientA(kClient,
                       {a, reportA, "own-pipes", "post=" + b + ":1:200:0", "wait-file=" + down,
                        "post=" + b + ":10:200:100", "touch=" + posted, "sleep=60000"});
  ASSERT_TRUE(waitForFile(arrived, 30000));  // the first message has gone through
  router1.reset();                           // the router dies
  touch(down);
  ASSERT_TRUE(waitForFile(posted, 20000));
  ChildProcess router2(kRouter, {log2, "--serve", a + "," + b, "--wire"});
  EXPECT_EQ(clientB.wait(kClientLimitMs), 0);
  EXPECT_EQ(readReport(reportB)["received"], "11");
  auto lines = readLines(log2);
  for (const auto& line : lines) EXPECT_EQ(line.rfind("admit", 0), std::string::npos) << line;
  // Messages posted while the pipe was down went out in posting order.
  std::vector<int> order;
  for (const auto& line : lines) {
    std::string prefix = "wire " + a + " ";
    if (line.rfind(prefix, 0) == 0 && line.size() > prefix.size() && line[prefix.size()] != '-') {
      order.push_back(std::stoi(line.substr(prefix.size())));
    }
  }
  std::vector<int> expected;
  for (int i = 100; i < 110; ++i) expected.push_back(i);
  EXPECT_EQ(order, expected);
}

TEST(Recovery, LetGoAndBrokenPipesRepairAndDropTheCutOffFrame) {
  std::string a = uniqueId("mend"), b = uniqueId("tool");
  std::string log = scratchPath("router.log"), reportA = scratchPath("a.txt"),
              reportB = scratchPath("b.txt");
  std::string go = scratchPath("go"), first = scratchPath("first");
  ChildProcess router(kRouter, {log});
  ASSERT_TRUE(waitForLine(log, "ready", 20000));
  ChildProcess clientA(kClient, {a, reportA, "own-pipes", "touch=" + go, "expect=1",
                                 "touch=" + first, "expect=3", "dump-lines"});
  // The router handles every message on a thread of its own, so a message and the command
  // after it can swap: B waits until A has the first message before the cut-off frame.
  ChildProcess clientB(
      kClient,
      {b, reportB, "own-pipes", "wait-file=" + go,
       // "let go": A rebuilds; the router's end takes A back on its pipes
       "command=RouterTestLetGo:" + a, "sleep=1500", "post=" + a + ":1:200:0", "wait-file=" + first,
       // half a frame, then a broken pipe: the next message arrives intact
       "command=RouterTestSendPartial:" + a, "sleep=2500", "post=" + a + ":1:200:1",
       "command=RouterTestBreakPipes:" + a, "sleep=2000", "post=" + a + ":1:300:2",
       "shutdown"});  // the client ends at once: the last post must be out
  EXPECT_EQ(clientB.wait(kClientLimitMs), 0);
  EXPECT_EQ(clientA.wait(kClientLimitMs), 0);
  auto result = readReport(reportA);
  EXPECT_EQ(result["received"], "3");
  EXPECT_EQ(result["corrupt"], "0");
  auto lines = readLines(reportA);
  EXPECT_TRUE(
      contains(lines, "line " + a + ": PipeReadThread() - BROKEN PIPE (TO ROUTER), rebuilding..."));
  EXPECT_EQ(count(readLines(log), "admit " + a), 1);
}

TEST(Admission, EightClientsStartingTogetherAreAllAdmitted) {
  std::string log = scratchPath("router.log");
  ChildProcess router(kRouter, {log});
  ASSERT_TRUE(waitForLine(log, "ready", 20000));
  std::vector<std::unique_ptr<ChildProcess>> clients;
  std::vector<std::string> ids;
  for (int i = 0; i < 8; ++i) {
    ids.push_back(uniqueId("crowd" + std::to_string(i) + "x"));
    clients.push_back(std::make_unique<ChildProcess>(
        kClient, std::vector<std::string>{ids.back(), scratchPath("c" + std::to_string(i) + ".txt"),
                                          "own-pipes"}));
  }
  for (auto& client : clients) EXPECT_EQ(client->wait(kClientLimitMs), 0);
  auto lines = readLines(log);
  for (const auto& id : ids) EXPECT_GE(count(lines, "admit " + id), 1) << id;
}

}  // namespace
}  // namespace brevan::ipclink::test
