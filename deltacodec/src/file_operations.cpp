#include "file_operations.h"

#include "delta_operations.h"

namespace brevan::delta {
namespace {

using Operation = void (*)(BufferedReader& first, BufferedReader& second, BufferedWriter& out);

int runOnFiles(const FileName& firstName, const FileName& secondName, const FileName& outputName,
               Operation operation) noexcept {
  try {
    std::unique_ptr<ByteSource> first = openInputFile(firstName);
    std::unique_ptr<ByteSource> second = openInputFile(secondName);
    if (!first || !second) return kCannotOpen;
    std::unique_ptr<OutputFile> output = createOutputFile(outputName);
    if (!output) return kFailed;
    try {
      BufferedReader firstReader(*first), secondReader(*second);
      BufferedWriter writer(*output);
      operation(firstReader, secondReader, writer);
      writer.finish();
      if (output->close()) return static_cast<int>(writer.count());
    } catch (...) {
    }
    output.reset();
    removeFile(outputName);
  } catch (...) {
  }
  return kFailed;
}

void apply(BufferedReader& base, BufferedReader& delta, BufferedWriter& out) {
  applyDelta(base, delta, out);
}

}  // namespace

int subtractAbsFromAbs(const FileName& target, const FileName& base, const FileName& delta) {
  return runOnFiles(target, base, delta, buildDelta);
}

int addDeltaToAbs(const FileName& base, const FileName& delta, const FileName& result) {
  return runOnFiles(base, delta, result, apply);
}

int addDeltaToDelta(const FileName& first, const FileName& second, const FileName& result) {
  return runOnFiles(first, second, result, joinDeltas);
}

int inverseDelta(const FileName& base, const FileName& delta, const FileName& result) {
  return runOnFiles(base, delta, result, invertDelta);
}

}  // namespace brevan::delta
