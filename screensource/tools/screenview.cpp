// screenview: applies the screen data packets of a folder in name order, as the viewer at the
// other end does, and writes the last frame; or prints the records of each packet.
//
//   screenview PACKETDIR OUT         every PACKETDIR/*.bin; OUT is PNG, or binary PPM for *.ppm
//   screenview --dump PACKETDIR      (also: screenview PACKETDIR --dump [OUT], OUT ignored)
//
// Exit status: 0 success; 1 a packet was refused (named on stderr and skipped; the frame is
// still written) or OUT could not be written; 2 usage error, an unreadable PACKETDIR, or no
// frame because no area record was ever applied.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "imageio/png_io.h"
#include "imageio/ppm_io.h"
#include "viewer/packet_viewer.h"

namespace {

namespace fs = std::filesystem;
using brevan::screensource::PacketViewer;

constexpr int kSuccess = 0;
constexpr int kRefused = 1;
constexpr int kUsage = 2;

struct Arguments {
  bool dump = false;
  std::string packetDir;
  std::string out;
};

int usage() {
  std::cerr << "usage: screenview PACKETDIR OUT(.png|.ppm)\n"
               "       screenview --dump PACKETDIR\n";
  return kUsage;
}

int fail(const std::string& what, int status) {
  std::cerr << "screenview: " << what << '\n';
  return status;
}

bool parseArguments(const std::vector<std::string>& args, Arguments& parsed) {
  if (args.size() == 2 && args[0] == "--dump") {
    parsed = {true, args[1], ""};
  } else if ((args.size() == 2 || args.size() == 3) && args[1] == "--dump") {
    parsed = {true, args[0], ""};
  } else if (args.size() == 2) {
    parsed = {false, args[0], args[1]};
  } else {
    return false;
  }
  return parsed.packetDir.rfind("--", 0) != 0 && parsed.out.rfind("--", 0) != 0;
}

bool listPackets(const std::string& dir, std::vector<fs::path>& packets) {
  std::error_code error;
  // Stepped with an error code: a range-for would throw from the increment on a read error.
  for (fs::directory_iterator it(dir, error), end; it != end; it.increment(error)) {
    if (error) return false;
    std::error_code kind;
    if (it->path().extension() == ".bin" && it->is_regular_file(kind))
      packets.push_back(it->path());
  }
  if (error) return false;
  std::sort(packets.begin(), packets.end(), [](const fs::path& a, const fs::path& b) {
    return a.filename().string() < b.filename().string();
  });
  return true;
}

bool readBytes(const fs::path& path, std::vector<uint8_t>& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

bool endsWithPpm(const std::string& name) {
  if (name.size() < 4) return false;
  std::string tail = name.substr(name.size() - 4);
  for (char& c : tail) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return tail == ".ppm";
}

brevan::imageio::RgbImage toRgb(const PacketViewer& viewer) {
  brevan::imageio::RgbImage image{viewer.width(), viewer.height(), {}};
  image.rgb.reserve(size_t(image.width) * image.height * 3);
  for (uint32_t pixel : viewer.frame()) {
    image.rgb.push_back(static_cast<uint8_t>(pixel >> 16));
    image.rgb.push_back(static_cast<uint8_t>(pixel >> 8));
    image.rgb.push_back(static_cast<uint8_t>(pixel));
  }
  return image;
}

int dumpAll(const std::vector<fs::path>& packets) {
  int status = kSuccess;
  std::vector<uint8_t> bytes;
  for (const fs::path& path : packets) {
    const std::string name = path.filename().string();
    if (!readBytes(path, bytes)) {
      status = fail(name + ": cannot read", kRefused);
      continue;
    }
    std::cout << "packet " << name << ' ' << bytes.size() << '\n';
    std::string error;
    if (!brevan::screensource::dumpPacket(bytes.data(), bytes.size(), std::cout, error))
      status = fail(name + ": " + error, kRefused);
  }
  return status;
}

int viewAll(const std::vector<fs::path>& packets, const std::string& out) {
  int status = kSuccess;
  PacketViewer viewer;
  std::vector<uint8_t> bytes;
  for (const fs::path& path : packets) {
    const std::string name = path.filename().string();
    std::string error;
    if (!readBytes(path, bytes)) {
      status = fail(name + ": cannot read", kRefused);
    } else if (!viewer.apply(bytes.data(), bytes.size(), error)) {
      status = fail(name + ": " + error, kRefused);
    }
  }
  if (viewer.width() == 0 || viewer.height() == 0)
    return fail("no frame to write: no area record was applied", kUsage);
  const brevan::imageio::RgbImage image = toRgb(viewer);
  const bool written = endsWithPpm(out) ? brevan::imageio::writePpm(out, image)
                                        : brevan::imageio::writePng(out, image);
  return written ? status : fail("cannot write " + out, kRefused);
}

}  // namespace

int main(int argc, char** argv) {
  Arguments arguments;
  if (!parseArguments(std::vector<std::string>(argv + 1, argv + argc), arguments)) return usage();
  std::vector<fs::path> packets;
  if (!listPackets(arguments.packetDir, packets)) {
    fail("cannot read " + arguments.packetDir, kUsage);
    return usage();
  }
  return arguments.dump ? dumpAll(packets) : viewAll(packets, arguments.out);
}
