// Frames per second of absolute and relative packets next to baseline JPEG
// (libturbojpeg, quality 75, 4:2:0 from the same planes) on a pan over a
// natural picture, 640x480 and 1280x720, and of relative packets on that
// picture held still with the pan in a window. The packet coder aims at the
// JPEG size through its own rate control. One line per sequence, size and
// packet kind.
#include <turbojpeg.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <vector>

#include "planes.h"
#include "test_scenes.h"
#include "video_encoder.h"

namespace {

using namespace brevan::videnc;
using Clock = std::chrono::steady_clock;

constexpr int kFrames = 60;
constexpr int kRounds = 5;  // best of, against the noise of a shared machine

double seconds(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

double lumaPsnr(const std::vector<uint8_t>& a, const uint8_t* b, size_t count) {
  double sum = 0;
  for (size_t i = 0; i < count; ++i) sum += (a[i] - b[i]) * double(a[i] - b[i]);
  return sum == 0 ? 99 : 10 * std::log10(255.0 * 255.0 * count / sum);
}

struct JpegResult {
  double fps = 0;
  double bytes = 0;
  double psnr = 0;
};

JpegResult benchJpeg(const std::vector<std::vector<uint8_t>>& frames, int width, int height) {
  tjhandle compressor = tjInitCompress();
  tjhandle decompressor = tjInitDecompress();
  std::vector<unsigned char> buffer(tjBufSize(width, height, TJSAMP_420));
  std::vector<unsigned char> decoded(frameBytes(width, height));
  const int strides[3] = {width, width / 2, width / 2};
  JpegResult result;
  double bytes = 0;
  const Clock::time_point start = Clock::now();
  for (const std::vector<uint8_t>& frame : frames) {
    const unsigned char* planes[3] = {frame.data(), frame.data() + width * height,
                                      frame.data() + width * height + (width / 2) * (height / 2)};
    unsigned char* out = buffer.data();
    unsigned long size = buffer.size();
    if (tjCompressFromYUVPlanes(compressor, planes, width, strides, height, TJSAMP_420, &out, &size,
                                75, TJFLAG_NOREALLOC) != 0) {
      std::fprintf(stderr, "jpeg: %s\n", tjGetErrorStr2(compressor));
      return result;
    }
    bytes += size;
  }
  const double elapsed = seconds(start);
  result.bytes = bytes / frames.size();
  // Quality of one frame, for the record.
  const unsigned char* planes[3] = {frames[0].data(), frames[0].data() + width * height,
                                    frames[0].data() + width * height + (width / 2) * (height / 2)};
  unsigned char* out = buffer.data();
  unsigned long size = buffer.size();
  tjCompressFromYUVPlanes(compressor, planes, width, strides, height, TJSAMP_420, &out, &size, 75,
                          TJFLAG_NOREALLOC);
  unsigned char* decodedPlanes[3] = {decoded.data(), decoded.data() + width * height,
                                     decoded.data() + width * height + (width / 2) * (height / 2)};
  tjDecompressToYUVPlanes(decompressor, buffer.data(), size, decodedPlanes, width,
                          const_cast<int*>(strides), height, 0);
  result.psnr = lumaPsnr(frames[0], decoded.data(), static_cast<size_t>(width) * height);
  result.fps = frames.size() / elapsed;
  tjDestroy(compressor);
  tjDestroy(decompressor);
  return result;
}

struct PacketResult {
  double fps = 0;
  double bytes = 0;
  double psnr = 0;
};

PacketResult benchPackets(const std::vector<std::vector<uint8_t>>& frames, int width, int height,
                          bool relative, int targetBits) {
  PacketResult result;
  VideoEncoder encoder(width, height);
  // Settle the rate control and, for relative packets, the reference.
  for (int i = 0; i < 6; ++i) {
    encoder.makePacket(i == 0 || !relative ? PacketKind::Absolute : PacketKind::Relative,
                       frames[i].data(), frames[i].size(), targetBits, 0);
  }
  double bits = 0;
  const Clock::time_point start = Clock::now();
  for (const std::vector<uint8_t>& frame : frames) {
    encoder.makePacket(relative ? PacketKind::Relative : PacketKind::Absolute, frame.data(),
                       frame.size(), targetBits, 0);
    bits += encoder.packetBitLength();
  }
  result.fps = frames.size() / seconds(start);
  const std::vector<uint8_t> rebuilt = encoder.reference().toFrame();
  result.psnr = lumaPsnr(frames.back(), rebuilt.data(), static_cast<size_t>(width) * height);
  result.bytes = bits / 8 / frames.size();
  return result;
}

template <class Result>
void keepFaster(Result& best, const Result& round) {
  if (round.fps > best.fps) best = round;
}

// One line per packet kind: packets of the frames next to JPEG of the same
// frames, the packets aiming at the JPEG size.
void benchSequence(const char* label, const std::vector<std::vector<uint8_t>>& frames, int width,
                   int height, const std::string& onlyKind, std::initializer_list<bool> kinds) {
  std::vector<bool> relatives;
  for (bool relative : kinds) {
    if (onlyKind.empty() || onlyKind == (relative ? "relative" : "absolute"))
      relatives.push_back(relative);
  }
  // The rounds take turns, so that a busy spell of a shared machine falls
  // on both coders alike.
  JpegResult jpeg;
  std::vector<PacketResult> packets(relatives.size());
  for (int round = 0; round < kRounds; ++round) {
    keepFaster(jpeg, benchJpeg(frames, width, height));
    const int targetBits = static_cast<int>(jpeg.bytes * 8);
    for (size_t k = 0; k < relatives.size(); ++k) {
      keepFaster(packets[k], benchPackets(frames, width, height, relatives[k], targetBits));
    }
  }
  for (size_t k = 0; k < relatives.size(); ++k) {
    std::printf(
        "videnc %s %dx%d%s: %.1f fps (%.0f bytes, Y PSNR %.1f dB) vs jpeg q75 %.1f fps (%.0f "
        "bytes, "
        "Y PSNR %.1f dB): ratio %.2f\n",
        relatives[k] ? "relative" : "absolute", width, height, label, packets[k].fps,
        packets[k].bytes, packets[k].psnr, jpeg.fps, jpeg.bytes, jpeg.psnr,
        packets[k].fps / jpeg.fps);
  }
}

}  // namespace

// Optional arguments pick one case, for profiling: "absolute" or
// "relative" (the pan) or "window", and a width.
int main(int argc, char** argv) {
  const std::string onlyKind = argc > 1 ? argv[1] : "";
  const int onlyWidth = argc > 2 ? std::atoi(argv[2]) : 0;
  RgbImage picture;
  std::string path;
  if (!loadMachinePicture(picture, path)) {
    std::fprintf(stderr, "no picture of this machine found; set VIDENC_PICTURE to a PNG file\n");
    return 1;
  }
  std::printf("picture: %s (%dx%d), %d frames, best of %d\n", path.c_str(), picture.width,
              picture.height, kFrames, kRounds);
  const int sizes[2][2] = {{640, 480}, {1280, 720}};
  for (const auto& size : sizes) {
    const int width = size[0], height = size[1];
    if (onlyWidth != 0 && width != onlyWidth) continue;
    const PanSequence pan(picture, width, height);
    // The pan changes every block of every frame; the window scene only
    // the blocks of its window, as a screen or a fixed camera does.
    if (onlyKind != "window") {
      std::vector<std::vector<uint8_t>> frames;
      for (int i = 0; i < kFrames; ++i) frames.push_back(pan.frame(i));
      benchSequence("", frames, width, height, onlyKind, {false, true});
    }
    if (onlyKind.empty() || onlyKind == "window") {
      const std::vector<uint8_t> still = pan.frame(0);
      std::vector<std::vector<uint8_t>> frames;
      for (int i = 0; i < kFrames; ++i)
        frames.push_back(windowFrame(still, pan.frame(i), width, height));
      benchSequence(" (still picture, pan in a window)", frames, width, height, "", {true});
    }
  }
  return 0;
}
