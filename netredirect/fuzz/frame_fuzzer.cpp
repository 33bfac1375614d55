// Arbitrary frames through the processor, with rules that match the local host's traffic and a
// known local address, in both directions: nothing may be read or written outside the frame.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "frame_processor.h"

namespace nr = brevan::netredirect;

namespace {

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  // The first byte picks the direction and whether the host's address is known already.
  const uint8_t control = data[0];
  std::vector<uint8_t> frame(data + 1, data + size);  // exactly sized: overreads are caught
  nr::LearnedFields learned;
  if (control & 2) learned.localAddress = nr::kLocalHost;
  nr::Frame view{(control & 1) ? nr::kToNetwork : nr::kToStack, frame.data(), frame.size()};
  nr::processFrame(view, learned, rules());
  if (view.flags != nr::kToNetwork && view.flags != nr::kToStack) __builtin_trap();
  return 0;
}
