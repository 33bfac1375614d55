#include "firewall.h"

#include <gtest/gtest.h>

namespace brevan::hostutil {
namespace {

class ListedProducts final : public InstalledProducts {
 public:
  explicit ListedProducts(std::vector<std::u16string> names, std::u16string error = u"")
      : names_(std::move(names)), error_(std::move(error)) {}
  bool list(const std::function<void(const std::u16string&)>& visit,
            std::u16string& error) override {
    for (const auto& name : names_) visit(name);
    if (error_.empty()) return true;
    error = error_;
    return false;
  }

 private:
  std::vector<std::u16string> names_;
  std::u16string error_;
};

std::u16string installed(std::vector<std::u16string> names) {
  ListedProducts source(std::move(names));
  return reportInstalledProducts(source);
}

TEST(InstalledFirewalls, MatchesBySubstringInTheOrderOfTheSource) {
  EXPECT_EQ(installed({u"ZoneAlarm Security Suite"}), u"ZoneAlarm Security Suite[OK]");
  EXPECT_EQ(installed({u"Kerio Personal Firewall 4"}), u"Kerio Personal Firewall 4[Incompatible]");
  EXPECT_EQ(installed({u"Kerio WinRoute", u"Adobe Reader", u"ZoneAlarm Security Suite 7"}),
            u"Kerio WinRoute[Incompatible]ZoneAlarm Security Suite 7[OK]");
  EXPECT_EQ(installed({u"Agnitum Outpost Firewall"}), u"Agnitum Outpost Firewall[?]");
  EXPECT_EQ(installed({}), u"");
}

TEST(InstalledFirewalls, MatchingIsCaseSensitive) {
  EXPECT_EQ(installed({u"zonealarm security suite", u"KERIO"}), u"");
}

TEST(InstalledFirewalls, OneNameCanMatchSeveralRows) {
  EXPECT_EQ(installed({u"Norton Internet Security (Symantec Corporation) + Symantec AntiVirus"}),
            u"Norton Internet Security (Symantec Corporation) + Symantec AntiVirus[OK]"
            u"Norton Internet Security (Symantec Corporation) + Symantec AntiVirus[OK]");
}

TEST(InstalledFirewalls, ErrorTextReplacesAnyPartialList) {
  ListedProducts source({u"Kerio"}, u"ERROR: Could not connect.");
  EXPECT_EQ(reportInstalledProducts(source), u"ERROR: Could not connect.");
}

TEST(InstalledFirewalls, LongResultsAreKeptWhole) {
  std::vector<std::u16string> names(40, u"BullGuard Internet Security Suite 2007");
  EXPECT_EQ(installed(names).size(), 40 * (38 + 14));
}

std::u16string asciiUpper(const std::u16string& text) {
  std::u16string upper = text;
  for (auto& c : upper) {
    if (c >= u'a' && c <= u'z') c = char16_t(c - 32);
  }
  return upper;
}

std::u16string running(const ProductRows& rows, const std::set<std::u16string>& images) {
  return reportRunningProducts(runningProductTable(rows, asciiUpper), images);
}

TEST(RunningFirewalls, TableKeepsTheIdentifierAndUpperCasesTheRest) {
  const auto table = runningProductTable({{u"id", u"fw", u"a.exe"}}, asciiUpper);
  ASSERT_EQ(table.size(), 1u);
  EXPECT_EQ(table[0], (std::vector<std::u16string>{u"id", u"FW", u"A.EXE", u"<endoflist>"}));
}

TEST(RunningFirewalls, ReportedOnlyWhileEveryProgramRuns) {
  const ProductRows rows = {{u"id", u"fw", u"a.exe", u"B.exe"}};
  EXPECT_EQ(running(rows, {u"A.EXE", u"B.EXE", u"X.EXE"}), u"FW");
  EXPECT_EQ(running(rows, {u"A.EXE"}), u"");
  EXPECT_EQ(running(rows, {u"a.exe", u"b.exe"}), u"") << "the set holds upper-cased names";
}

TEST(RunningFirewalls, RowsAreJoinedByCommasAndRowsWithoutProgramsAlwaysCount) {
  const ProductRows rows = {
      {u"1", u"a", u"a.exe"}, {u"2", u"none"}, {u"3", u"b", u"b.exe"}, {u"4", u"c", u"c.exe"}};
  EXPECT_EQ(running(rows, {u"A.EXE", u"B.EXE"}), u"A,NONE,B");
  EXPECT_EQ(running(rows, {}), u"NONE");
}

TEST(RunningFirewalls, EndOfListRowStopsTheScan) {
  const ProductRows rows = {{u"1", u"a"}, {u"<EndOfList>", u"x"}, {u"3", u"b"}};
  EXPECT_EQ(running(rows, {}), u"A");
  // An empty row puts the terminator first and so ends the scan as well.
  EXPECT_EQ(running({{}, {u"1", u"a"}}, {}), u"");
}

TEST(RunningFirewalls, RowWithoutReportNameIsSkipped) {
  EXPECT_EQ(running({{u"lonely"}, {u"2", u"b"}}, {}), u"B");
}

}  // namespace
}  // namespace brevan::hostutil
