#include "rules_script.h"

#include <cerrno>
#include <cstdlib>
#include <sstream>

namespace brevan::netredirect {
namespace {

// A Java int in decimal, sign allowed, nothing else.
bool parseJavaInt(const std::string& text, int32_t& value) {
  if (text.empty()) return false;
  size_t digits = (text[0] == '-' || text[0] == '+') ? 1 : 0;
  if (digits == text.size()) return false;
  for (size_t i = digits; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
  }
  errno = 0;
  const long long number = std::strtoll(text.c_str(), nullptr, 10);
  if (errno != 0 || number < INT32_MIN || number > INT32_MAX) return false;
  value = int32_t(number);
  return true;
}

bool parseInts(const std::vector<std::string>& words, std::vector<int32_t>& ints) {
  for (size_t i = 1; i < words.size(); ++i) {
    int32_t value;
    if (!parseJavaInt(words[i], value)) return false;
    ints.push_back(value);
  }
  return true;
}

// One call; "" when it was made, else what is wrong with the line.
std::string runCall(const std::vector<std::string>& words, RuleTables& tables,
                    LearnedFields& learned, bool& accepted) {
  const std::string& name = words[0];
  const size_t arguments = words.size() - 1;
  std::vector<int32_t> n;
  accepted = true;
  if (name == "open" || name == "addSMBTranslations") {
    if (arguments != 0) return name + " takes no arguments";
    if (name == "open") {
      tables.clear();
    } else {
      accepted = addSmbTranslations(tables);
    }
  } else if (name == "addLocalRedirect") {
    if (arguments != 4 || !parseInts(words, n)) return "addLocalRedirect takes 4 decimal ints";
    accepted = addLocalRedirect(tables, n[0], n[1], n[2], n[3]);
  } else if (name == "addRemoteRedirect") {
    if (arguments != 6 || !parseInts(words, n)) return "addRemoteRedirect takes 6 decimal ints";
    accepted = addRemoteRedirect(tables, n[0], n[1], n[2], n[3], n[4], n[5]);
  } else if (name == "record") {
    LearnedFields fields;
    if (arguments != 3 || !parseHardware(words[1], fields.localHardware) ||
        !parseIpv4(words[2], fields.localAddress) ||
        !parseHardware(words[3], fields.peerHardware)) {
      return "record takes LOCALHW LOCALIP PEERHW";
    }
    learned = fields;
  } else {
    return "unknown call '" + name + "'";
  }
  return "";
}

}  // namespace

bool runRulesScript(const std::string& script, RuleTables& tables, LearnedFields& learned,
                    std::vector<std::string>& refused, std::string& error) {
  std::istringstream lines(script);
  std::string line;
  for (int number = 1; std::getline(lines, line); ++number) {
    std::istringstream wordStream(line);
    std::vector<std::string> words;
    for (std::string word; wordStream >> word;) words.push_back(word);
    if (words.empty() || words[0][0] == '#') continue;
    bool accepted = true;
    const std::string problem = runCall(words, tables, learned, accepted);
    if (!problem.empty()) {
      error = "line " + std::to_string(number) + ": " + problem;
      return false;
    }
    if (!accepted) refused.push_back("line " + std::to_string(number) + ": " + words[0]);
  }
  return true;
}

std::string recordLine(const LearnedFields& learned) {
  return "record " + toText(learned.localHardware) + " " + toText(learned.localAddress) + " " +
         toText(learned.peerHardware);
}

}  // namespace brevan::netredirect
