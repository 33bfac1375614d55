// Frames per second through the processor, next to a plain copy of the same frames in the same
// run. The mix: pass-through (another EtherType, ICMP), ARP answers and rewritten TCP/UDP
// frames of typical sizes. Prints one summary line.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#include "frame_builder.h"
#include "frame_processor.h"

namespace nr = brevan::netredirect;
namespace nt = brevan::netredirect::test;

namespace {

const nr::HardwareAddress kHost = {0x02, 0xAA, 0xBB, 0xCC, 0xDD, 0x01};
const nr::HardwareAddress kGateway = {0x02, 0x11, 0x22, 0x33, 0x44, 0x55};

std::vector<nt::Bytes> frameMix() {
  std::vector<nt::Bytes> mix;
  const nt::Endpoint host{kHost, nr::kLocalHost, 40000};
  const nt::Endpoint smb{nr::kVirtualServerHardware, nr::kVirtualServer, 139};
  const nt::Endpoint web{kGateway, nr::Ipv4::fromOctets(93, 1, 2, 3), 443};
  for (size_t payload : {0, 64, 512, 1460}) {
    mix.push_back(nt::transportFrame(nt::kTcp, host, smb, nt::Bytes(payload, 0x42)));
    mix.push_back(nt::transportFrame(nt::kTcp, host, web, nt::Bytes(payload, 0x42)));
    mix.push_back(nt::transportFrame(nt::kUdp, host, {smb.hardware, smb.address, 137}, nt::Bytes(payload / 4, 1)));
    nt::Bytes icmp = nt::transportFrame(nt::kUdp, web, host, nt::Bytes(payload, 0x42));
    icmp[23] = 1;
    mix.push_back(icmp);
  }
  mix.push_back(nt::arpRequest(kHost, nr::kLocalHost, nr::kVirtualServer));
  nt::Bytes ipv6(90, 0);
  ipv6[12] = 0x86;
  ipv6[13] = 0xDD;
  mix.push_back(ipv6);
  return mix;
}

template <class Step>
double framesPerSecond(const std::vector<nt::Bytes>& mix, Step step) {
  nr::FrameBuffer buffer;
  const int rounds = 200000;
  const auto start = std::chrono::steady_clock::now();
  for (int r = 0; r < rounds; ++r) {
    for (const nt::Bytes& frame : mix) {
      std::memcpy(buffer.data, frame.data(), frame.size());  // the filter's buffer refilled
      buffer.length = uint32_t(frame.size());
      buffer.flags = nr::kToNetwork;
      step(buffer);
    }
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return double(rounds) * double(mix.size()) / seconds;
}

}  // namespace

int main() {
  const std::vector<nt::Bytes> mix = frameMix();
  static nr::RuleTables rules;
  nr::addSmbTranslations(rules);
  nr::LearnedFields learned;
  learned.localAddress = nr::kLocalHost;
  volatile uint8_t sink = 0;
  static nr::FrameBuffer copy;
  const double copied = framesPerSecond(mix, [&](nr::FrameBuffer& b) {
    std::memcpy(copy.data, b.data, b.length);
    sink = sink + copy.data[b.length - 1];
  });
  const double processed = framesPerSecond(mix, [&](nr::FrameBuffer& b) {
    nr::Frame frame = b.view();
    nr::processFrame(frame, learned, rules);
    sink = sink + b.data[b.length - 1] + uint8_t(frame.flags);
  });
  std::printf("netredirect frames: process %.2f Mframes/s, copy %.2f Mframes/s, ratio %.2f of copy (%zu-frame mix)\n",
              processed / 1e6, copied / 1e6, processed / copied, mix.size());
  return 0;
}
