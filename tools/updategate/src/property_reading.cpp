#include "property_reading.h"

#include <climits>
#include <cstdio>
#include <memory>

namespace brevan::updategate {

namespace {

bool isSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

Reading numberAfterName(std::string_view line, size_t nameLength) {
  const size_t equals = line.find('=', nameLength);
  if (equals == std::string_view::npos) return Reading::missing(ReadingKind::kNoNumber);
  const auto number = parseDecimal(line.substr(equals + 1));
  return number ? Reading::of(*number) : Reading::missing(ReadingKind::kNoNumber);
}

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

std::optional<int> parseDecimal(std::string_view text) {
  size_t at = 0;
  while (at < text.size() && isSpace(text[at])) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
  // Accumulated as a negative number, whose range reaches INT_MIN.
  long long magnitude = 0;
  size_t digits = 0;
  for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at, ++digits) {
    magnitude = magnitude * 10 - (text[at] - '0');
    if (magnitude < INT_MIN) return std::nullopt;
  }
  if (digits == 0) return std::nullopt;
  if (!negative && -magnitude > INT_MAX) return std::nullopt;
  return static_cast<int>(negative ? magnitude : -magnitude);
}

Reading readProperty(std::string_view contents, std::string_view name) {
  while (!contents.empty()) {
    const size_t end = contents.find('\n');
    std::string_view line = contents.substr(0, end);
    contents = end == std::string_view::npos ? std::string_view() : contents.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.substr(0, name.size()) == name) return numberAfterName(line, name.size());
  }
  return Reading::missing(ReadingKind::kNoProperty);
}

Reading readPropertyFile(const std::string& path, std::string_view name) {
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file) return Reading::missing(ReadingKind::kNoFile);
  std::string contents;
  char piece[1024];
  for (size_t n; (n = std::fread(piece, 1, sizeof piece, file.get())) > 0;) contents.append(piece, n);
  return readProperty(contents, name);
}

}  // namespace brevan::updategate
