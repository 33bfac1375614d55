#include "install_directory.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace brevan::uninstallhelper {
namespace {

std::string narrow(const std::u16string& text) { return std::string(text.begin(), text.end()); }

TEST(InstallDirectory, OnlyPlainDirectoriesBelowARoot) {
  const struct {
    std::u16string value;
    const char* path;  // "-": refused
  } cases[] = {
      {u"C:\\Program Files\\Brevan\\", "C:\\Program Files\\Brevan"},
      {u"C:\\Brevan", "C:\\Brevan"},
      {u"d:/apps/brevan/", "d:\\apps\\brevan"},
      {u"\\\\server\\share\\Brevan\\", "\\\\server\\share\\Brevan"},
      {u"C:\\X\\Brevan Old\\", "C:\\X\\Brevan Old"},
      {u"", "-"},
      {u"\\", "-"},
      {u"C:", "-"},
      {u"C:\\", "-"},
      {u"C:/", "-"},
      {u"C:Brevan", "-"},          // relative to the drive's current directory
      {u"\\Brevan", "-"},          // relative to the current drive
      {u"Brevan\\", "-"},
      {u"..\\Brevan", "-"},
      {u"C:\\Brevan\\..", "-"},    // names the root
      {u"C:\\Brevan\\..\\..\\Windows", "-"},
      {u"C:\\.\\", "-"},
      {u"C:\\Brevan.\\", "-"},     // Windows drops the dot: another directory
      {u"C:\\Brevan \\", "-"},
      {u"C:\\\\Brevan", "-"},      // empty component
      {u"C:\\Brevan\\\\", "-"},
      {u"C:\\Brevan*", "-"},
      {u"C:\\Bre?an", "-"},
      {u"C:\\Brevan:stream", "-"},
      {u"C:\\Bre\"van", "-"},
      {u"C:\\Bre\tvan", "-"},
      {u"\\\\server\\share", "-"},
      {u"\\\\server\\share\\", "-"},
      {u"\\\\server\\", "-"},
      {u"\\\\?\\C:\\Brevan", "-"},
      {u"\\\\.\\C:\\Brevan", "-"},
      {u"1:\\Brevan", "-"},
  };
  for (const auto& c : cases) {
    const auto path = installDirectoryPath(c.value);
    EXPECT_EQ(path ? narrow(*path) : std::string("-"), c.path) << narrow(c.value);
  }
}

TEST(InstallDirectory, ExtendedLengthForms) {
  EXPECT_EQ(extendedLengthPath(u"C:\\Brevan"), u"\\\\?\\C:\\Brevan");
  EXPECT_EQ(extendedLengthPath(u"\\\\server\\share\\Brevan"), u"\\\\?\\UNC\\server\\share\\Brevan");
}

std::vector<uint8_t> utf16le(const std::u16string& text) {
  std::vector<uint8_t> bytes;
  for (char16_t c : text) {
    bytes.push_back(uint8_t(c));
    bytes.push_back(uint8_t(c >> 8));
  }
  return bytes;
}

TEST(InstallDirectory, RegistryStringMustBeTerminatedWithinItsBytes) {
  auto value = utf16le(std::u16string(u"C:\\B\0", 5));
  EXPECT_EQ(terminatedString(true, value.data(), value.size()), std::u16string(u"C:\\B"));
  EXPECT_FALSE(terminatedString(false, value.data(), value.size())) << "not a string";
  EXPECT_FALSE(terminatedString(true, value.data(), value.size() - 2)) << "no NUL";
  EXPECT_FALSE(terminatedString(true, value.data(), value.size() - 1)) << "half a NUL";
  EXPECT_FALSE(terminatedString(true, value.data(), 0));
  auto embedded = utf16le(std::u16string(u"C:\\B\0C:\\\0", 10));
  EXPECT_EQ(terminatedString(true, embedded.data(), embedded.size()), std::u16string(u"C:\\B"));
  auto wide = utf16le(std::u16string(u"C:\\\u00e9\0", 5));
  EXPECT_EQ(terminatedString(true, wide.data(), wide.size()), std::u16string(u"C:\\\u00e9"));
}

}  // namespace
}  // namespace brevan::uninstallhelper
