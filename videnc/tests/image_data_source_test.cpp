#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "image_data_source.h"

namespace brevan::videnc {
namespace {

struct FormatCase {
  const char* format;
  bool accepted;
  const char* name;
};

TEST(FileNameFormat, AcceptsOneIntegerConversionAndLiteralText) {
  const FormatCase cases[] = {
      {"frame%d.yuv", true, "frame42.yuv"},
      {"frame%05d.yuv", true, "frame00042.yuv"},
      {"f%-4i|", true, "f42  |"},
      {"%x_%%", true, "2a_%"},
      {"%+.3u", true, "042"},
      {"plain.yuv", true, "plain.yuv"},
      {"100%%.yuv", true, "100%.yuv"},
      {"%s", false, ""},
      {"%n", false, ""},
      {"%d%d", false, ""},
      {"%ld", false, ""},
      {"%*d", false, ""},
      {"%1$d", false, ""},
      {"%999d", false, ""},
      {"%.999d", false, ""},
      {"trailing %", false, ""},
      {"%f", false, ""},
  };
  for (const FormatCase& c : cases) {
    std::string name = "unchanged";
    EXPECT_EQ(formatFileName(c.format, 42, name), c.accepted) << c.format;
    if (c.accepted) {
      EXPECT_EQ(name, c.name) << c.format;
    }
  }
  std::string name;
  EXPECT_FALSE(formatFileName(std::string(kMaxFileName + 1, 'a'), 1, name));
  EXPECT_TRUE(formatFileName(std::string(kMaxFileName, 'a'), 1, name));
}

std::string tempPath(const char* leaf) {
  return std::string(BREVAN_BINARY_DIR) + "/videnc_" + leaf;
}

void writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

TEST(ImageDataSource, CopiesLumaAndCentredChroma) {
  ImageDataSource source(4, 2);
  std::vector<uint8_t> frame = {0, 1, 2, 3, 252, 253, 254, 255, 0, 128, 255, 129};
  ASSERT_EQ(source.planeBytes(), frame.size());
  EXPECT_FALSE(source.update(frame.data(), frame.size() - 1));
  ASSERT_TRUE(source.update(frame.data(), frame.size()));
  EXPECT_EQ(source.luma(), (std::vector<int32_t>{0, 1, 2, 3, 252, 253, 254, 255}));
  EXPECT_EQ(source.chromaU(), (std::vector<int32_t>{-128, 0}));
  EXPECT_EQ(source.chromaV(), (std::vector<int32_t>{127, 1}));
}

TEST(ImageDataSource, LoadsFilesAndRefusesShortOnes) {
  ImageDataSource source(16, 16);
  std::vector<uint8_t> frame(source.fileBytes());
  for (size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<uint8_t>(i);
  const std::string path = tempPath("full.yuv");
  writeFile(path, frame);
  ASSERT_EQ(source.loadFile(path), ImageDataSource::LoadResult::Ok);
  EXPECT_EQ(source.luma()[255], 255);
  EXPECT_EQ(source.chromaV()[63],
            static_cast<int32_t>(static_cast<uint8_t>(frame.size() - 1)) - 128);

  const std::string shortPath = tempPath("short.yuv");
  writeFile(shortPath, std::vector<uint8_t>(frame.size() - 1, 9));
  EXPECT_EQ(source.loadFile(shortPath), ImageDataSource::LoadResult::TooShort);
  EXPECT_EQ(source.luma()[255], 255);  // unchanged
  EXPECT_EQ(source.loadFile(tempPath("missing.yuv")), ImageDataSource::LoadResult::NotFound);
  std::remove(path.c_str());
  std::remove(shortPath.c_str());
}

TEST(ImageDataSource, RealFileOfThisMachine) {
  // Any file long enough is a frame; its bytes land in the planes as read.
  const char* path = "/usr/bin/cmake";
  ImageDataSource source(64, 48);
  std::ifstream in(path, std::ios::binary);
  std::vector<uint8_t> head(source.fileBytes());
  in.read(reinterpret_cast<char*>(head.data()), static_cast<std::streamsize>(head.size()));
  ASSERT_TRUE(in) << path;
  ASSERT_EQ(source.loadFile(path), ImageDataSource::LoadResult::Ok);
  for (size_t i = 0; i < source.luma().size(); ++i) ASSERT_EQ(source.luma()[i], head[i]);
  EXPECT_EQ(source.chromaU()[0], head[64 * 48] - 128);
}

}  // namespace
}  // namespace brevan::videnc
