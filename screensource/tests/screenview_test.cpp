// The screenview tool end to end: packet files in, picture and record listing out, and its exit
// statuses. Runs the Linux build; the Windows one is the same source.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "imageio/png_io.h"
#include "packet_builder.h"
#include "testsupport/files.h"
#include "testsupport/tool_run_posix.h"
#include "viewer/packet_viewer.h"

namespace brevan::screensource::test {
namespace {

namespace fs = std::filesystem;

const std::string kScratch =
    std::string(BREVAN_BINARY_DIR) + "/screenview_test-" + std::to_string(getpid());
testsupport::ToolRun lastRun;

int screenview(const std::vector<std::string>& arguments) {
  lastRun = testsupport::runTool(std::string(BREVAN_DIST_DIR) + "/screenview", arguments, kScratch);
  return lastRun.status;
}

std::string freshFolder(const std::string& name) {
  const std::string dir = kScratch + "/" + name;
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}

class Screenview : public testing::Test {
 protected:
  void SetUp() override { fs::create_directories(kScratch); }
  static void TearDownTestSuite() { fs::remove_all(kScratch); }
};

TEST_F(Screenview, AppliesPacketsInNameOrderSkipsARefusedOneAndWritesTheFrame) {
  const std::string dir = freshFolder("packets");
  std::vector<uint32_t> tile(kTileWords);
  for (size_t i = 0; i < tile.size(); ++i) tile[i] = uint32_t(i * 40503u) & 0xFFFFFF;
  const Bytes first = PacketBuilder().area(90, 50).block(0, 0, 2, 1).whole(tile).unchanged().end();
  const Bytes refused = PacketBuilder().block(0, 0, 1, 1).slot(5).end();
  const Bytes last = PacketBuilder().block(1, 0, 1, 1).slot(767).end();  // tile 0's image
  ASSERT_TRUE(testsupport::writeFile(dir + "/b.bin", refused));
  ASSERT_TRUE(testsupport::writeFile(dir + "/a.bin", first));
  ASSERT_TRUE(testsupport::writeFile(dir + "/c.bin", last));
  ASSERT_TRUE(testsupport::writeFile(dir + "/notes.txt", {1, 2, 3}));

  PacketViewer viewer;
  std::string error;
  for (const Bytes* packet : {&first, &last})
    ASSERT_TRUE(viewer.apply(packet->data(), packet->size(), error)) << error;
  Bytes rgb;
  for (uint32_t p : viewer.frame())
    rgb.insert(rgb.end(), {uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p)});

  EXPECT_EQ(screenview({dir, kScratch + "/frame.ppm"}), 1);
  EXPECT_NE(lastRun.err.find("screenview: b.bin: "), std::string::npos);
  EXPECT_EQ(testsupport::readFile(kScratch + "/frame.ppm"),
            testsupport::concat({testsupport::ascii("P6\n90 50\n255\n"), rgb}));

  EXPECT_EQ(screenview({dir, kScratch + "/frame.png"}), 1);
  imageio::RgbImage png;
  ASSERT_TRUE(imageio::readPng(kScratch + "/frame.png", png, error)) << error;
  EXPECT_EQ(png.rgb, rgb);
}

TEST_F(Screenview, DumpListsEveryRecord) {
  const std::string dir = freshFolder("dump");
  PacketBuilder packet;
  packet.area(130, 64)
      .cursor(100, 200, true)
      .byte(kNewShapeRecord)
      .byte(32)
      .byte(32)
      .byte(1)
      .byte(0);
  packet.counted({1, 2, 3}).word(7).word(8).cachedShape(3, 9, 10);
  packet.block(0, 0, 4, 1).unchanged().slot(17).byte(kWholeTile).counted({4, 5});
  packet.inner({1, 0, 3, 4}, {}).byte(kCursorRecord).word(1);  // cut short at the end
  ASSERT_TRUE(testsupport::writeFile(dir + "/p1.bin", PacketBuilder().cursor(5, 6).end()));
  ASSERT_TRUE(testsupport::writeFile(dir + "/p2.bin", packet.withoutEnd()));

  EXPECT_EQ(screenview({dir, "--dump"}), 1);
  EXPECT_EQ(lastRun.out,
            "packet p1.bin 6\ncursor 5 6\nend\n"
            "packet p2.bin " +
                std::to_string(packet.withoutEnd().size()) +
                "\n"
                "area 130 64\ncursor 100 200 local\nshape 32x32 hot 1,0 n=3 at 7 8\n"
                "cached-shape 3 at 9 10\nblock 0 0 4 1: 128 64:17 0:n=2 32:L=1,R=0,B=3,T=4:n=" +
                std::to_string(compressPixels({}).size()) + "\n");
  EXPECT_NE(lastRun.err.find("screenview: p2.bin: packet ends inside"), std::string::npos);
  EXPECT_EQ(screenview({"--dump", dir}), 1);
}

TEST_F(Screenview, UsageErrorsExitWithTwo) {
  const std::string empty = freshFolder("empty");
  EXPECT_EQ(screenview({}), 2);
  EXPECT_EQ(screenview({empty}), 2);
  EXPECT_EQ(screenview({kScratch + "/missing", "out.png"}), 2);
  EXPECT_EQ(screenview({empty, kScratch + "/none.png"}), 2);  // no area, no frame
  EXPECT_NE(lastRun.err.find("no frame"), std::string::npos);
  EXPECT_EQ(screenview({"--dump", empty}), 0);
}

}  // namespace
}  // namespace brevan::screensource::test
