// camconv: converts one captured frame file into the layout the Java side would receive.
//   camconv convert KIND COMPRESSION BPP W H IN OUT
// KIND 1-4 or colour, bw, yuv, yuv22; COMPRESSION decimal, 0x... or a four-character code
// ("I420", "YV12"); W and H as the format gives them (absolute values used). OUT receives N
// little-endian 32-bit ints for colour, else the destination bytes.
// Exit status: 0 converted; 3 the format is not converted (OUT not written); 2 usage error, a
// frame shorter than the layout reads, or an odd size where 2 x 2 blocks are needed.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "frame_conversion.h"

namespace {

using brevan::camcapture::Conversion;
using brevan::camcapture::FrameFormat;
using brevan::camcapture::FrameKind;

constexpr int kConverted = 0;
constexpr int kUsage = 2;
constexpr int kNotConverted = 3;

int usage(const char* reason) {
  std::fprintf(stderr,
               "camconv: %s\nusage: camconv convert KIND COMPRESSION BPP W H IN OUT\n"
               "  KIND 1-4 or colour, bw, yuv, yuv22; COMPRESSION decimal, 0x... or a"
               " four-character code\n",
               reason);
  return kUsage;
}

// A whole decimal (or, with allowHex, 0x-prefixed) number in the range of int32.
std::optional<int64_t> parseNumber(const std::string& text, bool allowHex) {
  const bool hex = allowHex && text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const char* start = text.c_str() + (hex ? 2 : 0);
  if (*start == '\0' || std::strchr(" \t+", *start) != nullptr) return std::nullopt;
  if (hex && *start == '-') return std::nullopt;
  errno = 0;
  char* end = nullptr;
  const long long value = std::strtoll(start, &end, hex ? 16 : 10);
  if (errno != 0 || *end != '\0') return std::nullopt;
  const int64_t low = hex ? 0 : INT32_MIN;
  const int64_t high = hex ? int64_t(UINT32_MAX) : int64_t(INT32_MAX);
  if (value < low || value > high) return std::nullopt;
  return value;
}

std::optional<FrameKind> parseKind(const std::string& text) {
  const char* names[] = {"colour", "bw", "yuv", "yuv22"};
  for (int kind = 1; kind <= 4; ++kind) {
    if (text == names[kind - 1] || text == std::to_string(kind)) return FrameKind(kind);
  }
  return std::nullopt;
}

// Decimal or 0x... first, so "1234" is a number; any other four characters are a code whose
// first character is the lowest byte.
std::optional<uint32_t> parseCompression(const std::string& text) {
  if (auto number = parseNumber(text, true)) {
    if (*number < 0) return uint32_t(int32_t(*number));
    return uint32_t(*number);
  }
  if (text.size() != 4) return std::nullopt;
  uint32_t code = 0;
  for (int i = 3; i >= 0; --i) code = code << 8 | uint8_t(text[size_t(i)]);
  return code;
}

std::optional<std::vector<uint8_t>> readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return std::nullopt;
  return bytes;
}

bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  out.close();
  return bool(out);
}

// Colour values leave as little-endian ints whatever the machine's order.
std::vector<uint8_t> littleEndian(const std::vector<uint32_t>& values) {
  std::vector<uint8_t> bytes;
  bytes.reserve(values.size() * 4);
  for (uint32_t value : values) {
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(uint8_t(value >> shift));
  }
  return bytes;
}

int convert(char** args) {
  const auto kind = parseKind(args[0]);
  if (!kind) return usage("KIND must be 1-4, colour, bw, yuv or yuv22");
  const auto compression = parseCompression(args[1]);
  if (!compression) return usage("COMPRESSION must be decimal, 0x... or four characters");
  const auto bits = parseNumber(args[2], false);
  const auto width = parseNumber(args[3], false);
  const auto height = parseNumber(args[4], false);
  if (!bits || !width || !height) return usage("BPP, W and H must be decimal numbers");
  const FrameFormat format{*compression, int(*bits), int32_t(*width), int32_t(*height)};

  const auto layout = brevan::camcapture::frameLayout(*kind, format);
  if (!layout.readable) {
    std::fprintf(stderr, "camconv: this format is not converted for this kind\n");
    return kNotConverted;
  }
  if (layout.destinationBytes > (uint64_t(1) << 32))
    return usage("the frame is too large");
  const auto frame = readFile(args[5]);
  if (!frame) return usage("cannot read IN");

  std::vector<uint32_t> ints(*kind == FrameKind::colour ? layout.destinationBytes / 4 : 0);
  std::vector<uint8_t> bytes(*kind == FrameKind::colour ? 0 : layout.destinationBytes);
  void* destination = *kind == FrameKind::colour ? static_cast<void*>(ints.data()) : bytes.data();
  switch (brevan::camcapture::convertFrame(*kind, format, frame->data(), frame->size(),
                                           destination, layout.destinationBytes)) {
    case Conversion::converted:
      break;
    case Conversion::notConverted:
      return kNotConverted;
    case Conversion::oddSize:
      return usage("W and H must be even for this layout");
    case Conversion::frameTooShort:
      return usage("IN is shorter than the layout reads");
    case Conversion::destinationTooSmall:
      return usage("internal: destination too small");
  }
  if (!writeFile(args[6], *kind == FrameKind::colour ? littleEndian(ints) : bytes))
    return usage("cannot write OUT");
  return kConverted;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 9 || std::strcmp(argv[1], "convert") != 0) return usage("expected 8 arguments");
  return convert(argv + 2);
}
