#include "firewall.h"

namespace brevan::hostutil {

const char16_t kEndOfList[] = u"<endoflist>";

const KnownProduct kKnownProducts[] = {
    {u"Norton Internet Security 2005 (Symantec Corporation)", u"OK"},
    {u"Norton Internet Security 2006 (Symantec Corporation)", u"OK"},
    {u"Norton Internet Security (Symantec Corporation)", u"OK"},
    {u"Symantec AntiVirus", u"OK"},
    {u"McAfee Uninstall Wizard", u"OK"},
    {u"Panda Internet Security 2007", u"OK"},
    {u"ZoneAlarm Security Suite", u"OK"},
    {u"Kaspersky Anti-Virus Personal", u"OK"},
    {u"Trend Micro PC-cillin Internet Security 2007", u"OK"},
    {u"BullGuard", u"Incompatible"},
    {u"Kerio", u"Incompatible"},
    {u"Sygate", u"Incompatible"},
    {u"BlackIce", u"?"},
    {u"EZ Firewall", u"?"},
    {u"F-Secure", u"?"},
    {u"NetBarrier", u"?"},
    {u"Injoy", u"?"},
    {u"Outpost", u"?"},
    {kEndOfList, u""},
};

namespace {

bool equalsIgnoringAsciiCase(const std::u16string& a, const std::u16string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto fold = [](char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; };
    if (fold(a[i]) != fold(b[i])) return false;
  }
  return true;
}

// Program file names sit between the report name and the closing kEndOfList.
bool allProgramsRunning(const std::vector<std::u16string>& row,
                        const std::set<std::u16string>& runningImages) {
  for (size_t i = 2; i + 1 < row.size(); ++i) {
    if (runningImages.count(row[i]) == 0) return false;
  }
  return true;
}

}  // namespace

std::u16string verdictsFor(const std::u16string& productName) {
  std::u16string result;
  for (const KnownProduct* row = kKnownProducts; row->searchText != std::u16string(kEndOfList);
       ++row) {
    if (productName.find(row->searchText) != std::u16string::npos) {
      result += productName + u"[" + row->verdict + u"]";
    }
  }
  return result;
}

std::u16string reportInstalledProducts(InstalledProducts& source) {
  std::u16string result;
  std::u16string error;
  if (!source.list([&](const std::u16string& name) { result += verdictsFor(name); }, error)) {
    return error;
  }
  return result;
}

ProductRows runningProductTable(const ProductRows& javaRows, const TextMapping& upperCase) {
  ProductRows table;
  table.reserve(javaRows.size());
  for (const auto& javaRow : javaRows) {
    std::vector<std::u16string> row;
    for (size_t i = 0; i < javaRow.size(); ++i) {
      row.push_back(i == 0 ? javaRow[i] : upperCase(javaRow[i]));
    }
    row.push_back(kEndOfList);
    table.push_back(std::move(row));
  }
  return table;
}

std::u16string reportRunningProducts(const ProductRows& table,
                                     const std::set<std::u16string>& runningImages) {
  std::u16string result;
  for (const auto& row : table) {
    // A row shorter than identifier + report name (+ terminator) names nothing to report.
    if (row.empty() || equalsIgnoringAsciiCase(row[0], kEndOfList)) break;
    if (row.size() < 3) continue;
    if (!allProgramsRunning(row, runningImages)) continue;
    if (!result.empty()) result += u",";
    result += row[1];
  }
  return result;
}

}  // namespace brevan::hostutil
