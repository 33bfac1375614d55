// netreplay process FRAMES_IN FRAMES_OUT RULES
//
// Runs every frame of FRAMES_IN, in order, through one adapter's processor after making the calls
// of RULES, writes FRAMES_OUT (one record per input record: the flags and the frame after
// processing) and prints the adapter's learned fields as a `record` line.
// Exit status: 0 done, 1 a file could not be read or written or FRAMES_IN is cut short,
// 2 wrong command line or a bad line in RULES.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "frame_processor.h"
#include "frames_file.h"
#include "rules_script.h"

namespace nr = brevan::netredirect;

namespace {

bool readWhole(const char* path, std::vector<uint8_t>& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

bool writeWhole(const char* path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  return bool(out);
}

int process(const char* framesIn, const char* framesOut, const char* rulesPath) {
  std::vector<uint8_t> rulesBytes, framesBytes;
  if (!readWhole(rulesPath, rulesBytes)) {
    std::fprintf(stderr, "netreplay: cannot read %s\n", rulesPath);
    return 1;
  }
  static nr::RuleTables tables;  // large: kept off the stack
  nr::LearnedFields learned;
  std::vector<std::string> refused;
  std::string error;
  if (!nr::runRulesScript(std::string(rulesBytes.begin(), rulesBytes.end()), tables, learned,
                          refused, error)) {
    std::fprintf(stderr, "netreplay: %s: %s\n", rulesPath, error.c_str());
    return 2;
  }
  for (const std::string& call : refused) {
    std::fprintf(stderr, "netreplay: %s: %s returned false\n", rulesPath, call.c_str());
  }
  std::vector<nr::FrameRecord> records;
  if (!readWhole(framesIn, framesBytes)) {
    std::fprintf(stderr, "netreplay: cannot read %s\n", framesIn);
    return 1;
  }
  if (!nr::parseFramesFile(framesBytes, records, error)) {
    std::fprintf(stderr, "netreplay: %s: %s\n", framesIn, error.c_str());
    return 1;
  }
  for (nr::FrameRecord& record : records) {
    nr::Frame frame{record.flags, record.bytes.data(), record.bytes.size()};
    nr::processFrame(frame, learned, tables);
    record.flags = frame.flags;
  }
  if (!writeWhole(framesOut, nr::serializeFramesFile(records))) {
    std::fprintf(stderr, "netreplay: cannot write %s\n", framesOut);
    return 1;
  }
  std::printf("%s\n", nr::recordLine(learned).c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5 || std::string(argv[1]) != "process") {
    std::fprintf(stderr, "usage: netreplay process FRAMES_IN FRAMES_OUT RULES\n");
    return 2;
  }
  return process(argv[2], argv[3], argv[4]);
}
