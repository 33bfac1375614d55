#include "install_directory.h"

#include <vector>

namespace brevan::uninstallhelper {

namespace {

constexpr char16_t kSeparator = u'\\';

std::vector<std::u16string_view> components(std::u16string_view path) {
  std::vector<std::u16string_view> parts;
  for (size_t start = 0;;) {
    const size_t end = path.find(kSeparator, start);
    parts.push_back(path.substr(start, end == std::u16string_view::npos ? end : end - start));
    if (end == std::u16string_view::npos) return parts;
    start = end + 1;
  }
}

bool isReservedCharacter(char16_t c) {
  return c < 0x20 || c == u'*' || c == u'?' || c == u'"' || c == u'<' || c == u'>' ||
         c == u'|' || c == u':';
}

// A name Windows keeps as it stands: not empty, no reserved character, not ending in a dot or
// a space (which Windows drops, so ".." or "x." would name another entry).
bool isPlainName(std::u16string_view name) {
  if (name.empty() || name.back() == u'.' || name.back() == u' ') return false;
  for (char16_t c : name) {
    if (isReservedCharacter(c)) return false;
  }
  return true;
}

bool isDriveLetter(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }

// How many leading components form the root: 1 for "X:", 4 for "\\server\share" (two empty
// components, then server and share); 0 when the path has neither form.
size_t rootComponents(const std::vector<std::u16string_view>& parts) {
  const auto& first = parts[0];
  if (first.size() == 2 && isDriveLetter(first[0]) && first[1] == u':') return 1;
  if (parts.size() >= 4 && first.empty() && parts[1].empty() && isPlainName(parts[2]) &&
      isPlainName(parts[3])) {
    return 4;
  }
  return 0;
}

}  // namespace

std::optional<std::u16string> terminatedString(bool isString, const uint8_t* data, size_t size) {
  if (!isString) return std::nullopt;
  std::u16string text;
  for (size_t at = 0; at + 1 < size; at += 2) {
    const char16_t unit = char16_t(data[at] | (data[at + 1] << 8));
    if (unit == 0) return text;
    text += unit;
  }
  return std::nullopt;
}

std::optional<std::u16string> installDirectoryPath(std::u16string_view text) {
  std::u16string path(text);
  for (char16_t& c : path) {
    if (c == u'/') c = kSeparator;
  }
  if (!path.empty() && path.back() == kSeparator) path.pop_back();
  const auto parts = components(path);
  const size_t root = rootComponents(parts);
  if (root == 0 || parts.size() <= root) return std::nullopt;
  for (size_t i = root; i < parts.size(); ++i) {
    if (!isPlainName(parts[i])) return std::nullopt;
  }
  return path;
}

std::u16string extendedLengthPath(const std::u16string& path) {
  if (path.size() >= 2 && path[0] == kSeparator && path[1] == kSeparator) {
    return u"\\\\?\\UNC\\" + path.substr(2);
  }
  return u"\\\\?\\" + path;
}

}  // namespace brevan::uninstallhelper
