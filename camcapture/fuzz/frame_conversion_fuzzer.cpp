// Any format and any frame bytes: the conversion must stay inside the frame and the destination
// it was given (the sanitizers watch), and leave the destination alone unless it converted. Every
// form of the loops this processor has runs the same input and must give the plain loops' bytes.
#include <cstdint>
#include <cstring>
#include <vector>

#include "frame_conversion.h"
#include "loop_choice.h"

using namespace brevan::camcapture;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 12) return 0;
  FrameFormat format;
  const uint8_t selector = data[0];
  const uint32_t codes[] = {kUncompressed, kI420, kYV12, kFullChroma};
  format.compression = (selector & 4) ? data[1] * 0x01010101u : codes[selector & 3];
  format.bitsPerPixel = data[2];
  format.width = int8_t(data[3]) * int32_t(1 + (data[4] & 3));
  format.height = int8_t(data[5]) * int32_t(1 + (data[6] & 3));
  const FrameKind kind = FrameKind(1 + (data[7] & 3));
  const size_t destinationSize = size_t(data[8]) * 16 + data[9];
  const std::vector<uint32_t> before(destinationSize / 4 + 1, 0x5A5A5A5Au);

  using detail::Loops;
  std::vector<uint32_t> plainResult;
  for (Loops loops : {Loops::plain, Loops::sse2, Loops::avx2, Loops::avx512}) {
    if (!detail::loopsAvailable(loops)) continue;
    detail::useLoops(loops);
    std::vector<uint32_t> storage = before;
    const Conversion result =
        convertFrame(kind, format, data + 10, size - 10, storage.data(), destinationSize);
    if (result != Conversion::converted && storage != before) __builtin_trap();
    if (loops == Loops::plain) {
      plainResult = storage;
    } else if (storage != plainResult) {
      __builtin_trap();
    }
  }
  return 0;
}
