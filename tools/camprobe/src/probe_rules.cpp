#include "probe_rules.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <algorithm>

namespace brevan::camprobe {
namespace {

constexpr size_t kLinePiece = 255;  // a 256-byte line buffer holds 255 bytes and the NUL

// A "%d" number at the start of text (after blanks); kNone when none or out of range.
int checkedNumber(const char* text) {
  while (*text == ' ' || *text == '\t') ++text;
  const char* digits = text + ((*text == '-' || *text == '+') ? 1 : 0);
  if (!std::isdigit(static_cast<unsigned char>(*digits))) return kNone;
  errno = 0;
  const long value = std::strtol(text, nullptr, 10);
  if (errno == ERANGE || value < INT_MIN || value > INT_MAX) return kNone;
  return int(value);
}

size_t afterProgramName(const std::string& commandLine) {
  size_t at = commandLine.find_first_not_of(" \t");
  if (at == std::string::npos) return commandLine.size();
  if (commandLine[at] == '"') {
    const size_t closing = commandLine.find('"', at + 1);
    return closing == std::string::npos ? commandLine.size() : closing + 1;
  }
  const size_t end = commandLine.find_first_of(" \t", at);
  return end == std::string::npos ? commandLine.size() : end;
}

int valueOfLine(const std::string& line) {
  std::string text = line.substr(line.find('=') + 1);
  const size_t first = text.find_first_not_of(" \r\n");
  if (first == std::string::npos) return kNone;
  const size_t last = text.find_last_not_of(" \r\n");
  text = text.substr(first, last - first + 1);
  return checkedNumber(text.c_str());
}

}  // namespace

int testNumberOf(const std::string& commandLine) {
  const std::string rest = commandLine.substr(afterProgramName(commandLine));
  for (size_t at = 0; at < rest.size(); ++at) {
    const bool negative = rest[at] == '-' && at + 1 < rest.size() && std::isdigit(static_cast<unsigned char>(rest[at + 1]));
    if (negative || std::isdigit(static_cast<unsigned char>(rest[at]))) return checkedNumber(rest.c_str() + at);
  }
  return kNone;
}

int previousChoiceOf(const std::string& fileText) {
  size_t at = 0;
  while (at < fileText.size()) {
    const size_t newline = fileText.find('\n', at);
    const size_t lineEnd = newline == std::string::npos ? fileText.size() : newline + 1;
    const size_t end = std::min(lineEnd, at + kLinePiece);
    const std::string piece = fileText.substr(at, end - at);
    at = end;
    if (piece.find("cameraDriverIndex") == std::string::npos || piece.find('=') == std::string::npos)
      continue;
    const int value = valueOfLine(piece);
    return value >= 0 && value <= 9 ? value : kNone;
  }
  return kNone;
}

int chooseDriver(int previous, const std::function<bool(int)>& described,
                 const std::function<bool(int)>& probes) {
  if (previous != kNone && described(previous) && probes(previous)) return previous;
  for (int index = kHighestIndex; index >= 0; --index) {
    if (described(index) && probes(index)) return index;
  }
  return kNone;
}

std::string resultLine(const char* key, int value) {
  return std::string(key) + " = " + std::to_string(value) + "\r\n";
}

// A text-mode stream writes every "\n" as "\r\n".
std::string resultFileText(int testNumber, int driver) {
  std::string text;
  for (const std::string& line : {resultLine("testIndex", testNumber),
                                  resultLine("cameraDriverIndex", driver)}) {
    text += line.substr(0, line.size() - 1) + "\r\n";
  }
  return text;
}

}  // namespace brevan::camprobe
