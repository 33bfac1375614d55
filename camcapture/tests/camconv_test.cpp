// camconv end to end as a user runs it: the output file of each kind, the ways of naming kinds
// and codes, and its exit statuses. Runs the Linux build; the Windows ones are the same source.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "testsupport/files.h"
#include "testsupport/tool_run_posix.h"

namespace brevan::camcapture::test {
namespace {

namespace fs = std::filesystem;
using testsupport::Bytes;

const std::string kScratch = std::string(BREVAN_BINARY_DIR) + "/camconv_test-" + std::to_string(getpid());

class Camconv : public testing::Test {
 protected:
  void SetUp() override { fs::create_directories(kScratch); }
  static void TearDownTestSuite() { fs::remove_all(kScratch); }

  std::string path(const std::string& name) { return kScratch + "/" + name; }
  int camconv(std::vector<std::string> args) {
    args.insert(args.begin(), "convert");
    last = testsupport::runTool(std::string(BREVAN_DIST_DIR) + "/camconv", args, kScratch);
    return last.status;
  }
  int convert(const std::string& kind, const std::string& code, const std::string& bits,
              const std::string& w, const std::string& h, const Bytes& frame, const std::string& out) {
    EXPECT_TRUE(testsupport::writeFile(path("in.bin"), frame));
    fs::remove(path(out));
    return camconv({kind, code, bits, w, h, path("in.bin"), path(out)});
  }
  testsupport::ToolRun last;
};

TEST_F(Camconv, ColourComesOutAsLittleEndianIntsWithRowsFlipped) {
  const Bytes frame = {10, 20, 30, 40, 50, 60, 1, 2, 3, 4, 5, 6};
  for (const char* kind : {"1", "colour"}) {
    ASSERT_EQ(convert(kind, "0", "24", "2", "2", frame, "out.bin"), 0) << last.err;
    EXPECT_EQ(testsupport::readFile(path("out.bin")),
              (Bytes{1, 2, 3, 0, 4, 5, 6, 0, 10, 20, 30, 0, 40, 50, 60, 0}));
  }
}

TEST_F(Camconv, CodesByNameOrNumberAndNegativeHeights) {
  const Bytes yv12 = {10, 11, 12, 13, 200, 50, 0xEE /* longer frames are fine */};
  const Bytes i420Order = {10, 11, 12, 13, 50, 200};
  for (const char* code : {"YV12", "0x32315659", "842094169"}) {
    ASSERT_EQ(convert("yuv22", code, "12", "2", "-2", yv12, "out.bin"), 0) << code << last.err;
    EXPECT_EQ(testsupport::readFile(path("out.bin")), i420Order) << code;
  }
  ASSERT_EQ(convert("2", "I420", "12", "2", "2", yv12, "bw.bin"), 0);
  EXPECT_EQ(testsupport::readFile(path("bw.bin")), (Bytes{10, 11, 12, 13}));
}

TEST_F(Camconv, UnconvertedFormatsExitThreeAndWriteNothing) {
  EXPECT_EQ(convert("colour", "0", "8", "2", "2", Bytes(16, 1), "none.bin"), 3);
  EXPECT_EQ(convert("bw", "0x33333333", "16", "2", "2", Bytes(16, 1), "none.bin"), 3);
  EXPECT_EQ(convert("yuv", "MJPG", "24", "2", "2", Bytes(16, 1), "none.bin"), 3);
  EXPECT_FALSE(fs::exists(path("none.bin")));
}

TEST_F(Camconv, UsageErrorsShortFramesAndOddSizesExitTwo) {
  const Bytes frame(64, 1);
  const std::string in = path("in.bin");
  ASSERT_TRUE(testsupport::writeFile(in, frame));
  const std::vector<std::vector<std::string>> cases = {
      {"colour", "0", "24", "2", "2", in},                      // OUT missing
      {"rgb", "0", "24", "2", "2", in, path("x")},              // unknown kind
      {"5", "0", "24", "2", "2", in, path("x")},                // kind out of range
      {"colour", "I42", "24", "2", "2", in, path("x")},         // code of three characters
      {"colour", "0", "24", "2x", "2", in, path("x")},          // not a number
      {"colour", "0", "24", "2", "99999999999", in, path("x")}, // out of range
      {"colour", "0", "24", "2", "2", path("missing"), path("x")},
      {"colour", "0", "24", "5", "5", in, path("x")},           // 75 bytes needed, 64 there
      {"colour", "0x33333333", "12", "8", "4", in, path("x")},  // 72 needed: 2N + N/4
      {"yuv", "I420", "12", "3", "2", in, path("x")},           // odd size, 2 x 2 blocks
  };
  for (const auto& args : cases) {
    EXPECT_EQ(camconv(args), 2) << args[0] << " " << args[1] << " " << args[3] << " " << args[4];
    EXPECT_FALSE(fs::exists(path("x")));
  }
  last = testsupport::runTool(std::string(BREVAN_DIST_DIR) + "/camconv", {"decode"}, kScratch);
  EXPECT_EQ(last.status, 2);
}

}  // namespace
}  // namespace brevan::camcapture::test
