// Reading one number-valued property of the product's property file (lines of name=value).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace brevan::updategate {

enum class ReadingKind {
  kValue,       // the property's number
  kNoFile,      // the file could not be opened
  kNoProperty,  // no line begins with the name
  kNoNumber,    // the line holds no "=" and decimal number after the name, or one out of range
};

struct Reading {
  ReadingKind kind = ReadingKind::kNoFile;
  int value = 0;  // meaningful for kValue only

  static Reading of(int value) { return {ReadingKind::kValue, value}; }
  static Reading missing(ReadingKind kind) { return {kind, 0}; }
};

// A decimal number as "%d" reads it (leading white space, an optional sign, digits up to the first
// other character), but nothing when there are no digits or the number does not fit an int.
std::optional<int> parseDecimal(std::string_view text);

// The first line that begins with `name` decides: its number after the first "=" that follows
// the name. Lines end at LF; a CR before it is dropped.
Reading readProperty(std::string_view contents, std::string_view name);

// The same over a file, read whole and closed before returning.
Reading readPropertyFile(const std::string& path, std::string_view name);

}  // namespace brevan::updategate
