// Arbitrary frames through the processor, with rules that match the local host's traffic, in
// both directions: nothing may be read or written outside the frame. Besides raw frames, the
// input may patch one of a few valid frames (a TCP SYN and a UDP datagram to SMB rules, an ARP
// request for a virtual host) and cut it to any length, so the rewriting paths are reached.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "frame_builder.h"
#include "frame_processor.h"

namespace nr = brevan::netredirect;
namespace nt = brevan::netredirect::test;

namespace {

const nr::HardwareAddress kHost = {0x02, 0xAA, 0xBB, 0xCC, 0xDD, 0x01};

const nr::RuleTables& rules() {
  static nr::RuleTables* tables = [] {
    auto* t = new nr::RuleTables();
    nr::addSmbTranslations(*t);
    nr::addRemoteRedirect(*t, nr::kVirtualServer.toJava(), 0x0100000A, 8080, 80, 0x0605,
                          0x04030201);
    return t;
  }();
  return *tables;
}

const std::vector<nt::Bytes>& templates() {
  static auto* frames = new std::vector<nt::Bytes>{
      nt::transportFrame(nt::kTcp, {kHost, nr::kLocalHost, 40000},
                         {nr::kVirtualServerHardware, nr::kVirtualServer, 139}, nt::Bytes(8, 1)),
      nt::transportFrame(nt::kUdp, {kHost, nr::kLocalHost, 40000},
                         {nr::kVirtualServerHardware, nr::kVirtualServer, 137}, nt::Bytes(8, 1)),
      nt::arpRequest(kHost, nr::kLocalHost, nr::kVirtualServer)};
  return *frames;
}

// control bits 0-1: template (3 = raw input); 2: direction; 3: local address known.
// Patched templates: byte 1 is the length to keep, the rest is XORed onto the frame.
std::vector<uint8_t> frameFrom(uint8_t control, const uint8_t* data, size_t size) {
  const unsigned pick = control & 3;
  if (pick == 3 || size < 1) return std::vector<uint8_t>(data, data + size);
  std::vector<uint8_t> frame = templates()[pick];
  for (size_t i = 1; i < size && i - 1 < frame.size(); ++i) frame[i - 1] ^= data[i];
  if (size > 0 && data[0] < frame.size()) frame.resize(data[0]);
  return frame;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const uint8_t control = data[0];
  // Exactly sized, so that any read past the end is caught.
  std::vector<uint8_t> frame = frameFrom(control, data + 1, size - 1);
  frame.shrink_to_fit();
  nr::LearnedFields learned;
  if (control & 8) learned.localAddress = nr::kLocalHost;
  nr::Frame view{(control & 4) ? nr::kToNetwork : nr::kToStack, frame.data(), frame.size()};
  nr::processFrame(view, learned, rules());
  if (view.flags != nr::kToNetwork && view.flags != nr::kToStack) __builtin_trap();
  return 0;
}
