// vidpkt: makes, codes and decodes video packet streams so that a person
// can look at what the encoder produces.
//
//   vidpkt scene   <out.yuv> <width> <height> <frames> [--picture]
//   vidpkt encode  <in.yuv> <width> <height> <out.pkt> [--target BITS] [--quant Q] [--key N]
//   vidpkt decode  <in.pkt> <out.yuv | out-prefix --png>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "decoder/packet_decoder.h"
#include "packet_stream.h"
#include "rgb_yuv.h"
#include "test_scenes.h"
#include "video_encoder.h"

namespace {

using namespace brevan::videnc;

struct FileCloser {
  void operator()(FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<FILE, FileCloser>;

int usage() {
  std::fprintf(stderr,
               "usage: vidpkt scene <out.yuv> <width> <height> <frames> [--picture]\n"
               "       vidpkt encode <in.yuv> <width> <height> <out.pkt> [--target BITS] [--quant "
               "Q] [--key N]\n"
               "       vidpkt decode <in.pkt> <out.yuv>\n"
               "       vidpkt decode <in.pkt> <out-prefix> --png\n");
  return 2;
}

const char* option(int argc, char** argv, int first, const char* name) {
  for (int i = first; i + 1 < argc; ++i) {
    if (std::strcmp(argv[i], name) == 0) return argv[i + 1];
  }
  return nullptr;
}

bool flag(int argc, char** argv, int first, const char* name) {
  for (int i = first; i < argc; ++i) {
    if (std::strcmp(argv[i], name) == 0) return true;
  }
  return false;
}

int scene(int argc, char** argv) {
  if (argc < 6) return usage();
  const int width = std::atoi(argv[3]), height = std::atoi(argv[4]), frames = std::atoi(argv[5]);
  File out(std::fopen(argv[2], "wb"));
  if (!out || width <= 0 || height <= 0 || width % 2 || height % 2) return usage();
  std::unique_ptr<PanSequence> pan;
  if (flag(argc, argv, 6, "--picture")) {
    RgbImage picture;
    std::string path;
    if (!loadMachinePicture(picture, path)) {
      std::fprintf(stderr, "no picture found\n");
      return 1;
    }
    std::printf("panning over %s\n", path.c_str());
    pan = std::make_unique<PanSequence>(picture, width, height);
  }
  for (int i = 0; i < frames; ++i) {
    const std::vector<uint8_t> frame = pan ? pan->frame(i) : syntheticFrame(width, height, i);
    std::fwrite(frame.data(), 1, frame.size(), out.get());
  }
  return 0;
}

int encode(int argc, char** argv) {
  if (argc < 6) return usage();
  const int width = std::atoi(argv[3]), height = std::atoi(argv[4]);
  if (!validFrameSize(width, height)) {
    std::fprintf(stderr, "frame size must be multiples of 16, at most 2040 a side\n");
    return 1;
  }
  const char* target = option(argc, argv, 6, "--target");
  const char* quant = option(argc, argv, 6, "--quant");
  const char* key = option(argc, argv, 6, "--key");
  const int targetBits = target ? std::atoi(target) : 200000;
  const int fixedQuant = quant ? std::atoi(quant) : 0;
  const int keyEvery = key ? std::atoi(key) : 0;
  File in(std::fopen(argv[2], "rb"));
  File out(std::fopen(argv[5], "wb"));
  if (!in || !out) return usage();
  VideoEncoder encoder(width, height);
  std::vector<uint8_t> frame(frameBytes(width, height));
  for (int index = 0; std::fread(frame.data(), 1, frame.size(), in.get()) == frame.size();
       ++index) {
    const bool absolute = index == 0 || (keyEvery > 0 && index % keyEvery == 0);
    if (!encoder.makePacket(absolute ? PacketKind::Absolute : PacketKind::Relative, frame.data(),
                            frame.size(), targetBits, fixedQuant)) {
      std::fprintf(stderr, "frame %d not coded\n", index);
      return 1;
    }
    StoredPacket packet;
    packet.bits = static_cast<uint32_t>(encoder.packetBitLength());
    packet.bytes.resize(encoder.packetByteLength());
    encoder.copyPacket(packet.bytes.data());
    writeStoredPacket(out.get(), packet);
    std::printf("frame %d: %s q=%d %u bits\n", index, absolute ? "absolute" : "relative",
                encoder.rateControl().quantIndex(), packet.bits);
  }
  return 0;
}

int decode(int argc, char** argv) {
  if (argc < 4) return usage();
  const bool png = flag(argc, argv, 4, "--png");
  File in(std::fopen(argv[2], "rb"));
  File rawOut(png ? nullptr : std::fopen(argv[3], "wb"));
  if (!in || (!png && !rawOut)) return usage();
  PacketDecoder decoder;
  StoredPacket packet;
  for (int index = 0; readStoredPacket(in.get(), packet); ++index) {
    const DecodeStatus status = decoder.decode(packet.bytes.data(), packet.bits);
    if (status != DecodeStatus::Ok) {
      std::fprintf(stderr, "packet %d: %s\n", index, decodeStatusName(status));
      return 1;
    }
    const std::vector<uint8_t> frame = decoder.planes().toFrame();
    if (png) {
      char name[32];
      std::snprintf(name, sizeof name, "-%04d.png", index);
      if (!brevan::imageio::writePng(
              std::string(argv[3]) + name,
              yuv420ToRgb(frame.data(), decoder.width(), decoder.height()))) {
        std::fprintf(stderr, "cannot write %s%s\n", argv[3], name);
        return 1;
      }
    } else {
      std::fwrite(frame.data(), 1, frame.size(), rawOut.get());
    }
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return usage();
  const std::string command = argv[1];
  if (command == "scene") return scene(argc, argv);
  if (command == "encode") return encode(argc, argv);
  if (command == "decode") return decode(argc, argv);
  return usage();
}
