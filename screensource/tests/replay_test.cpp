// screenreplay end to end: a scene written by the test (a window opening and moving, a cursor
// shape change and return, a quiet cycle, a restart) replayed by the tool from the deliverables
// folder and its packets shown by screenview; and scenes with faults refused with the line at
// fault.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "packet_format.h"
#include "pixel_coder.h"
#include "synthetic_desktop.h"
#include "testsupport/tool_run_posix.h"

namespace brevan::screensource {
namespace {

namespace fs = std::filesystem;

constexpr int kWidth = 256;
constexpr int kHeight = 192;

class ReplayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::path(::testing::TempDir()) /
           ("screenreplay-" + std::to_string(getpid()) + "-" + info->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "scene");
  }
  void TearDown() override { fs::remove_all(dir_); }

  void writeFile(const std::string& name, const std::string& bytes) {
    std::ofstream(dir_ / "scene" / name, std::ios::binary) << bytes;
  }
  void writePixels(const std::string& name, const std::vector<uint32_t>& pixels) {
    std::string bytes;
    for (uint32_t p : pixels)
      for (int shift = 0; shift < 32; shift += 8) bytes += char(p >> shift);
    writeFile(name, bytes);
  }
  // Exit status of the tool of the deliverables folder; what it printed on stderr in `errors`.
  int run(const std::string& tool, const std::vector<std::string>& args,
          std::string* errors = nullptr) {
    testsupport::ToolRun result =
        testsupport::runTool(std::string(BREVAN_DIST_DIR) + "/" + tool, args, dir_.string());
    if (errors) *errors = result.err;
    return result.status;
  }
  int replay(const std::vector<std::string>& args, std::string* errors = nullptr) {
    return run("screenreplay", args, errors);
  }
  static std::string readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
  }
  std::vector<std::string> sceneArgs() const {
    return {(dir_ / "scene").string(), (dir_ / "out").string()};
  }

  fs::path dir_;
};

std::vector<uint32_t> frameWithWindow(int left, int top) {
  Canvas canvas(kWidth, kHeight);  // a black desktop, as the viewer starts
  if (left >= 0) paintWindow(canvas, left, top, 100, 80, 7);
  return canvas.pixels;
}

TEST_F(ReplayTest, ReplaysWindowCursorAndRestartCycles) {
  writePixels("black.bin", frameWithWindow(-1, -1));
  writePixels("open.bin", frameWithWindow(20, 30));
  const std::vector<uint32_t> moved = frameWithWindow(84, 62);
  writePixels("moved.bin", moved);
  std::vector<uint32_t> beam(32 * 32, kKeyColour);
  for (int y = 4; y < 28; ++y) beam[y * 32 + 15] = 0;
  writePixels("beam.bin", beam);
  writeFile("scene.txt",
            "area 256 192\n# an I-beam cursor\nshape 0x20001 15 16 beam.bin\n"
            "cycle 1\nframe black.bin\n"
            "cycle 2\nframe open.bin\nwindow 20 30 120 110\n"
            "cycle 3\nframe moved.bin\nwindow 20 30 120 110\nrectmsg 84 62 184 142\n"
            "cycle 4\ncursor 0 0 0x20001\n"
            "cycle 5\ncursor 0 0 0x10003\n"
            "cycle 6\ncursor 40 50 0x10003\ncursormsg 40 50\n"
            "cycle 7\n"
            "cycle 8\nrestart\nwindow 0 0 256 192\n");
  fs::create_directories(dir_ / "out");
  std::ofstream(dir_ / "out" / "packet_000007.bin") << "from an earlier run";
  ASSERT_EQ(replay(sceneArgs()), 0);

  // The first record of each cycle's packet; 0 for a cycle that delivers nothing.
  const int firstRecord[] = {kAreaRecord,
                             kTileBlockRecord,
                             kTileBlockRecord,
                             kNewShapeRecord,
                             kCachedShapeRecord,
                             kCursorRecord,
                             0,
                             kAreaRecord};
  std::istringstream manifest(readAll(dir_ / "out" / "manifest.txt"));
  for (int cycle = 1; cycle <= 8; ++cycle) {
    SCOPED_TRACE("cycle " + std::to_string(cycle));
    int number = 0;
    std::string length;
    ASSERT_TRUE(manifest >> number >> length);
    EXPECT_EQ(number, cycle);
    char name[32];
    std::snprintf(name, sizeof name, "packet_%06d.bin", cycle);
    const fs::path packetPath = dir_ / "out" / name;
    if (firstRecord[cycle - 1] == 0) {
      EXPECT_EQ(length, "-");
      EXPECT_FALSE(fs::exists(packetPath));
      continue;
    }
    const std::string packet = readAll(packetPath);
    ASSERT_EQ(std::to_string(packet.size()), length);
    EXPECT_EQ(packet.front(), firstRecord[cycle - 1]);
    EXPECT_EQ(packet.back(), kEndRecord);
  }
  std::string rest;
  EXPECT_FALSE(manifest >> rest) << "more manifest lines than cycles";
  const std::string first = readAll(dir_ / "out" / "packet_000001.bin");
  // The area record (256 x 192), then the arrow's shape.
  EXPECT_EQ(first.substr(0, 7), std::string("\x06\x00\x01\x00\x00\xC0\x02", 7));

  // From the packets alone the viewer rebuilds the last frame, quantised to 3 bits.
  const fs::path picture = dir_ / "last.ppm";
  ASSERT_EQ(run("screenview", {(dir_ / "out").string(), picture.string()}), 0);
  std::string expected = "P6\n256 192\n255\n";
  for (uint32_t pixel : moved) {
    const uint32_t q = quantisePixel(pixel, 3);
    expected += {char(q >> 16), char(q >> 8), char(q)};
  }
  EXPECT_TRUE(readAll(picture) == expected) << "the viewer's frame differs from the screen";
}

TEST_F(ReplayTest, RefusesFaultyScenesWithTheLineAtFault) {
  writeFile("short.bin", std::string(100, '\0'));
  const struct {
    const char* scene;
    int line;
  } cases[] = {
      {"bits 3\narea 64 64\n", 1},
      {"area 64 64\ncycle 2\n", 2},
      {"area 64 64\ncycle 1\nwobble 1\n", 3},
      {"area 64 64\ncycle 1\nwindow 1 2 3\n", 3},
      {"area 64 64\ncycle 1\nbits 9\n", 3},
      {"area 64 64\ncycle 1\ncursor 1 2 0xZZ\n", 3},
      {"area 64 64\nwindow 0 0 1 1\n", 2},
      {"area 64 64\n\n# frames\ncycle 1\nframe missing.bin\n", 5},
      {"area 64 64\ncycle 1\nframe short.bin\n", 3},
      {"area 64 64\nshape 0x20001 0 0 short.bin\n", 2},
      {"area 64 64\nshape 0 0 0 short.bin\n", 2},
      {"area 64 64\ncycle 1\ncycle 1\n", 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.scene);
    writeFile("scene.txt", c.scene);
    std::string errors;
    EXPECT_EQ(replay(sceneArgs(), &errors), 2);
    EXPECT_EQ(errors.rfind("screenreplay: ", 0), 0u) << errors;
    EXPECT_NE(errors.find(" line " + std::to_string(c.line) + ": "), std::string::npos) << errors;
  }
  EXPECT_EQ(replay({(dir_ / "scene").string()}), 2);
  EXPECT_EQ(replay({(dir_ / "nowhere").string(), (dir_ / "out").string()}), 2);
}

}  // namespace
}  // namespace brevan::screensource
