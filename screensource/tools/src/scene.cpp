#include "scene.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace brevan::screensource {
namespace {

struct CommandForm {
  const char* name;
  SceneOp op;
  int fields;   // after the name
  bool report;  // only inside a cycle
};

constexpr CommandForm kCommands[] = {
    {"bits", SceneOp::kBits, 1, false},          {"arrow", SceneOp::kArrow, 1, false},
    {"shape", SceneOp::kShape, 4, false},        {"badshape", SceneOp::kBadShape, 1, false},
    {"window", SceneOp::kWindow, 4, true},       {"rectmsg", SceneOp::kRectMsg, 4, true},
    {"cursormsg", SceneOp::kCursorMsg, 2, true}, {"restart", SceneOp::kRestart, 0, true},
    {"frame", SceneOp::kFrame, 1, false},        {"cursor", SceneOp::kCursor, 3, false},
    {"local", SceneOp::kLocal, 1, false},
};

// Far beyond any screen, and far enough from the int limits that rounding to tiles cannot
// overflow.
constexpr long long kCoordinateLimit = 1 << 30;

const CommandForm* findCommand(const std::string& name) {
  for (const CommandForm& form : kCommands)
    if (name == form.name) return &form;
  return nullptr;
}

std::vector<std::string> splitFields(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> fields;
  for (std::string field; in >> field;) fields.push_back(field);
  return fields;
}

bool parseDecimal(const std::string& text, long long min, long long max, int& out) {
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  const long long value = std::strtoll(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || value < min || value > max) return false;
  out = static_cast<int>(value);
  return true;
}

bool parseHandle(const std::string& text, CursorHandle& out) {
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const std::string digits = hex ? text.substr(2) : text;
  // strtoull alone would also take signs, spaces and a second "0x".
  const auto isDigit = [hex](unsigned char ch) { return hex ? isxdigit(ch) : isdigit(ch); };
  if (digits.empty() || !std::all_of(digits.begin(), digits.end(), isDigit)) return false;
  errno = 0;
  out = std::strtoull(digits.c_str(), nullptr, hex ? 16 : 10);
  return errno == 0;
}

class SceneReader {
 public:
  SceneReader(const std::string& dir, Scene& scene, SceneError& error)
      : dir_(dir), scene_(scene), error_(error) {}

  bool read(std::istream& in) {
    for (std::string text; std::getline(in, text);) {
      ++line_;
      if (!text.empty() && text.back() == '\r') text.pop_back();
      const std::vector<std::string> fields = splitFields(text);
      if (fields.empty() || fields[0][0] == '#') continue;
      if (!readLine(fields)) return false;
    }
    line_ = 0;
    return areaSeen_ || fail("the scene has no \"area\" line");
  }

 private:
  bool fail(const std::string& reason) {
    error_ = {line_, reason};
    return false;
  }

  bool readLine(const std::vector<std::string>& fields) {
    const std::string& name = fields[0];
    if (!areaSeen_ && name != "area") return fail("the scene must start with \"area W H\"");
    if (name == "area") return readArea(fields);
    if (name == "cycle") return readCycle(fields);
    const CommandForm* form = findCommand(name);
    if (!form) return fail("unknown command \"" + name + "\"");
    if (!fieldCount(fields, form->fields)) return false;
    if (form->report && scene_.cycles.empty())
      return fail("\"" + name + "\" before cycle 1: reports belong to a cycle");
    SceneCommand command;
    command.op = form->op;
    command.line = line_;
    if (!readFields(fields, command)) return false;
    (scene_.cycles.empty() ? scene_.setup : scene_.cycles.back()).push_back(std::move(command));
    return true;
  }

  bool fieldCount(const std::vector<std::string>& fields, int expected) {
    const int given = static_cast<int>(fields.size()) - 1;
    if (given == expected) return true;
    return fail("\"" + fields[0] + "\" takes " + std::to_string(expected) + " fields, not " +
                std::to_string(given));
  }

  bool readArea(const std::vector<std::string>& fields) {
    if (areaSeen_) return fail("\"area\" given twice");
    if (!fieldCount(fields, 2)) return false;
    areaSeen_ = true;
    return number(fields[1], 1, kLargestSceneSide, scene_.width) &&
           number(fields[2], 1, kLargestSceneSide, scene_.height);
  }

  bool readCycle(const std::vector<std::string>& fields) {
    if (!fieldCount(fields, 1)) return false;
    int n = 0;
    if (!number(fields[1], 1, INT_MAX, n)) return false;
    const int due = static_cast<int>(scene_.cycles.size()) + 1;
    if (n != due)
      return fail("cycle " + std::to_string(n) + " where cycle " + std::to_string(due) +
                  " was due");
    scene_.cycles.emplace_back();
    return true;
  }

  bool readFields(const std::vector<std::string>& f, SceneCommand& c) {
    switch (c.op) {
      case SceneOp::kBits:
        return number(f[1], 1, 8, c.numbers[0]);
      case SceneOp::kArrow:
      case SceneOp::kBadShape:
        return shapeHandle(f[1], c.handle);
      case SceneOp::kShape:
        return shapeHandle(f[1], c.handle) && number(f[2], 0, kShapeSide - 1, c.numbers[0]) &&
               number(f[3], 0, kShapeSide - 1, c.numbers[1]) && readShape(f[4], c);
      case SceneOp::kWindow:
      case SceneOp::kRectMsg:
      case SceneOp::kCursorMsg:
        return coordinates(f, c);
      case SceneOp::kRestart:
        return true;
      case SceneOp::kFrame:
        return checkFrame(f[1], c);
      case SceneOp::kCursor:
        return coordinates({f[0], f[1], f[2]}, c) && cursorHandle(f[3], c.handle);
      case SceneOp::kLocal:
        return number(f[1], 0, 1, c.numbers[0]);
    }
    return fail("unhandled command");
  }

  bool number(const std::string& text, long long min, long long max, int& out) {
    if (parseDecimal(text, min, max, out)) return true;
    return fail("bad number \"" + text + "\" (" + std::to_string(min) + " .. " +
                std::to_string(max) + ")");
  }

  bool coordinates(const std::vector<std::string>& fields, SceneCommand& c) {
    for (size_t i = 1; i < fields.size(); ++i)
      if (!number(fields[i], -kCoordinateLimit, kCoordinateLimit, c.numbers[i - 1])) return false;
    return true;
  }

  bool shapeHandle(const std::string& text, CursorHandle& out) {
    if (!parseHandle(text, out)) return fail("bad handle \"" + text + "\"");
    return out != kNoCursor || fail("handle 0 is the \"none\" handle");
  }

  bool cursorHandle(const std::string& text, CursorHandle& out) {
    if (text == "none") {
      out = kNoCursor;
      return true;
    }
    return parseHandle(text, out) || fail("bad handle \"" + text + "\"");
  }

  bool readShape(const std::string& file, SceneCommand& c) {
    std::string reason;
    c.shape.width = c.shape.height = kShapeSide;
    c.shape.hotspotX = c.numbers[0];
    c.shape.hotspotY = c.numbers[1];
    if (readPixelFile(path(file), kShapeSide * kShapeSide, c.shape.pixels, reason)) return true;
    return fail("shape file \"" + file + "\": " + reason);
  }

  bool checkFrame(const std::string& file, SceneCommand& c) {
    c.file = path(file);
    std::ifstream in(c.file, std::ios::binary | std::ios::ate);
    if (!in) return fail("cannot open frame file \"" + file + "\"");
    const long long size = static_cast<long long>(in.tellg());
    const long long expected = 4LL * scene_.width * scene_.height;
    if (size == expected) return true;
    return fail("frame file \"" + file + "\" holds " + std::to_string(size) + " bytes, not " +
                std::to_string(expected));
  }

  std::string path(const std::string& file) const { return dir_ + "/" + file; }

  const std::string& dir_;
  Scene& scene_;
  SceneError& error_;
  int line_ = 0;
  bool areaSeen_ = false;
};

}  // namespace

bool readScene(const std::string& dir, Scene& scene, SceneError& error) {
  std::ifstream in(dir + "/scene.txt");
  if (!in) {
    error = {0, "cannot open " + dir + "/scene.txt"};
    return false;
  }
  scene = Scene();
  return SceneReader(dir, scene, error).read(in);
}

bool readPixelFile(const std::string& path, size_t count, std::vector<uint32_t>& pixels,
                   std::string& reason) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    reason = "cannot open it";
    return false;
  }
  std::vector<char> bytes(count * 4 + 1);
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  const size_t got = static_cast<size_t>(in.gcount());
  if (got != count * 4) {
    reason = (got > count * 4 ? "more" : std::to_string(got)) + " bytes where " +
             std::to_string(count * 4) + " were due";
    return false;
  }
  pixels.resize(count);
  for (size_t i = 0; i < count; ++i) {
    const auto* p = reinterpret_cast<const uint8_t*>(&bytes[4 * i]);
    pixels[i] = p[0] | (p[1] << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
  }
  return true;
}

}  // namespace brevan::screensource
