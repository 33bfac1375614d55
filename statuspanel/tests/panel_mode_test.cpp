#include <gtest/gtest.h>

#include <string>

#include "panel_mode.h"
#include "panel_paths.h"

namespace brevan::statuspanel {
namespace {

TEST(PanelMode, StartIsSearchedInTheArgumentsOnly) {
  const struct {
    const char16_t* commandLine;
    bool start;
  } cases[] = {
      {u"StatusPanel.exe start", true},
      {u"\"C:\\Program Files\\Brevan\\StatusPanel.exe\" start", true},
      {u"\"C:\\Program Files\\Brevan\\StatusPanel.exe\"", false},
      {u"StatusPanel.exe", false},
      {u"", false},
      {u"StatusPanel.exe restarting", true},  // a substring test, as it always was
      {u"StatusPanel.exe Start", false},      // and case-sensitive
      {u"StatusPanel.exe stop", false},
      {u"C:\\restart\\StatusPanel.exe", false},
      {u"C:\\restart\\StatusPanel.exe\tstop", false},
      {u"\"C:\\start here\\StatusPanel.exe\" stop", false},
      {u"\"C:\\start here\\StatusPanel.exe\"start", true},
      {u"C:\\start\\StatusPanel.exe\tstart", true},
      {u"\"C:\\unclosed start", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(isStartMode(c.commandLine), c.start) << std::string(
        c.commandLine, c.commandLine + std::char_traits<char16_t>::length(c.commandLine));
  }
}

TEST(PanelPaths, DirectoryIsCutAtTheLastBackslash) {
  EXPECT_EQ(directoryOf(u"C:\\Program Files\\Brevan\\StatusPanel.exe"),
            u"C:\\Program Files\\Brevan");
  EXPECT_EQ(directoryOf(u"C:\\StatusPanel.exe"), u"C:");
  EXPECT_EQ(directoryOf(u"\\\\server\\share\\StatusPanel.exe"), u"\\\\server\\share");
  EXPECT_EQ(directoryOf(u"StatusPanel.exe"), std::nullopt);
  EXPECT_EQ(directoryOf(u""), std::nullopt);
  EXPECT_EQ(pathIn(u"C:\\a b", u"BrevanController.exe"), u"C:\\a b\\BrevanController.exe");
}

TEST(PanelPaths, LongDirectoriesStayWhole) {
  std::u16string directory = u"C:";
  while (directory.size() < 2000) directory += u"\\a-rather-long-directory-name";
  EXPECT_EQ(directoryOf(directory + u"\\StatusPanel.exe"), directory);
  EXPECT_EQ(pathIn(directory, u"BrevanLauncher.exe").size(), directory.size() + 19);
}

}  // namespace
}  // namespace brevan::statuspanel
