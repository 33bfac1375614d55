#include "image_data_source.h"

#include <cstdio>
#include <cstring>
#include <memory>

namespace brevan::videnc {

ImageDataSource::ImageDataSource(int width, int height)
    : width_(width),
      height_(height),
      y_(static_cast<size_t>(width) * height, 0),
      u_(static_cast<size_t>(width / 2) * (height / 2), 0),
      v_(u_.size(), 0) {}

size_t ImageDataSource::planeBytes() const { return y_.size() + u_.size() + v_.size(); }

size_t ImageDataSource::fileBytes() const {
  const size_t pixels = static_cast<size_t>(width_) * height_;
  return pixels + (2 * pixels) / 4;
}

bool ImageDataSource::update(const uint8_t* frame, size_t size) {
  if (size < planeBytes()) return false;
  for (size_t i = 0; i < y_.size(); ++i) y_[i] = frame[i];
  const uint8_t* u = frame + y_.size();
  const uint8_t* v = u + u_.size();
  for (size_t i = 0; i < u_.size(); ++i) {
    u_[i] = static_cast<int32_t>(u[i]) - 128;
    v_[i] = static_cast<int32_t>(v[i]) - 128;
  }
  return true;
}

ImageDataSource::LoadResult ImageDataSource::loadFile(const std::string& path) {
  struct Closer {
    void operator()(FILE* f) const { std::fclose(f); }
  };
  std::unique_ptr<FILE, Closer> file(std::fopen(path.c_str(), "rb"));
  if (!file) return LoadResult::NotFound;
  std::vector<uint8_t> bytes(fileBytes());
  if (std::fread(bytes.data(), 1, bytes.size(), file.get()) != bytes.size())
    return LoadResult::TooShort;
  return update(bytes.data(), bytes.size()) ? LoadResult::Ok : LoadResult::TooShort;
}

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Skips up to two digits; false if a third follows.
bool skipShortNumber(const std::string& s, size_t& i) {
  for (int n = 0; n < 2 && i < s.size() && isDigit(s[i]); ++n) ++i;
  return i >= s.size() || !isDigit(s[i]);
}

// Checks the conversion starting after '%' at i; moves i past it.
bool skipIntegerConversion(const std::string& s, size_t& i) {
  while (i < s.size() && std::strchr("-+ 0#", s[i]) != nullptr) ++i;
  if (!skipShortNumber(s, i)) return false;
  if (i < s.size() && s[i] == '.') {
    ++i;
    if (!skipShortNumber(s, i)) return false;
  }
  if (i >= s.size() || std::strchr("diuxXo", s[i]) == nullptr) return false;
  ++i;
  return true;
}

}  // namespace

bool formatFileName(const std::string& format, int number, std::string& name) {
  if (format.find('\0') != std::string::npos) return false;
  int conversions = 0;
  for (size_t i = 0; i < format.size();) {
    if (format[i] != '%') {
      ++i;
      continue;
    }
    ++i;
    if (i < format.size() && format[i] == '%') {
      ++i;
      continue;
    }
    if (++conversions > 1 || !skipIntegerConversion(format, i)) return false;
  }
  char buffer[kMaxFileName + 1];
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#pragma GCC diagnostic ignored "-Wformat-security"
#endif
  // The format was checked above: one int conversion at most.
  const int length = conversions == 1 ? std::snprintf(buffer, sizeof buffer, format.c_str(), number)
                                      : std::snprintf(buffer, sizeof buffer, format.c_str());
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
  if (length < 0 || static_cast<size_t>(length) > kMaxFileName) return false;
  name.assign(buffer, static_cast<size_t>(length));
  return true;
}

}  // namespace brevan::videnc
