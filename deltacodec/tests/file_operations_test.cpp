// The operations on named files: what is written, what is left alone, and what a failure leaves.
#include <gtest/gtest.h>

#include "buffered_reader.h"
#include "buffered_writer.h"
#include "delta_error.h"
#include "delta_operations.h"
#include "file_operations.h"
#include "test_data.h"

namespace {

using namespace brevan::delta::test;
using namespace brevan::delta;

class FileOperations : public testing::Test {
 protected:
  Scratch scratch;
  FileName base = scratch.path(u"base.bin");
  FileName target = scratch.path(u"target.bin");
  FileName delta = scratch.path(u"delta.bin");
  FileName result = scratch.path(u"result.bin");
  FileName missing = scratch.path(u"missing.bin");

  void SetUp() override {
    std::mt19937 rng(9);
    baseBytes = randomText(rng, 60000);
    targetBytes = edited(baseBytes, rng, 1000);
    scratch.write(base, baseBytes);
    scratch.write(target, targetBytes);
  }
  Bytes baseBytes, targetBytes;
};

TEST_F(FileOperations, RoundTripThroughFiles) {
  int size = subtractAbsFromAbs(target, base, delta);
  Bytes d = scratch.read(delta);
  EXPECT_EQ(size, static_cast<int>(d.size()));
  EXPECT_EQ(d, build(targetBytes, baseBytes));
  EXPECT_EQ(addDeltaToAbs(base, delta, result), static_cast<int>(targetBytes.size()));
  EXPECT_EQ(scratch.read(result), targetBytes);

  FileName inverse = scratch.path(u"inverse.bin"), joined = scratch.path(u"joined.bin");
  EXPECT_GT(inverseDelta(base, delta, inverse), 0);
  EXPECT_EQ(addDeltaToAbs(target, inverse, result), static_cast<int>(baseBytes.size()));
  EXPECT_EQ(scratch.read(result), baseBytes);
  EXPECT_GT(addDeltaToDelta(delta, inverse, joined), 0);
  EXPECT_EQ(patch(baseBytes, scratch.read(joined)), baseBytes);
}

TEST_F(FileOperations, MissingInputGivesMinusTwoAndLeavesTheOutputAlone) {
  scratch.write(result, ascii("keep me"));
  scratch.write(delta, hex("0A"));
  EXPECT_EQ(subtractAbsFromAbs(missing, base, result), kCannotOpen);
  EXPECT_EQ(subtractAbsFromAbs(target, missing, result), kCannotOpen);
  EXPECT_EQ(addDeltaToAbs(missing, delta, result), kCannotOpen);
  EXPECT_EQ(addDeltaToAbs(base, missing, result), kCannotOpen);
  EXPECT_EQ(addDeltaToDelta(delta, missing, result), kCannotOpen);
  EXPECT_EQ(inverseDelta(missing, delta, result), kCannotOpen);
  // A folder is no file to read either.
  EXPECT_EQ(addDeltaToAbs(scratch.path(u""), delta, result), kCannotOpen);
  EXPECT_EQ(scratch.read(result), ascii("keep me"));
}

TEST_F(FileOperations, FailedWorkGivesMinusOneAndRemovesTheOutput) {
  struct Case {
    const char* label;
    const char* delta;
  } cases[] = {
      {"copy past the end of the base", "01 10000000 FFFF0000 0A"},
      {"no end code", "02 01000000 41"},
      {"insert past the end of the delta", "02 00010000 41 0A"},
  };
  for (const Case& c : cases) {
    scratch.write(delta, hex(c.delta));
    scratch.write(result, ascii("old result"));
    EXPECT_EQ(addDeltaToAbs(base, delta, result), kFailed) << c.label;
    EXPECT_FALSE(scratch.exists(result)) << c.label;
    EXPECT_EQ(inverseDelta(base, delta, result), kFailed) << c.label;
    EXPECT_FALSE(scratch.exists(result)) << c.label;
  }
  // An output that cannot be created.
  scratch.write(delta, hex("0A"));
  EXPECT_EQ(addDeltaToAbs(base, delta, scratch.path(u"no such folder/result.bin")), kFailed);
  EXPECT_EQ(subtractAbsFromAbs(target, base, scratch.path(u"no such folder/d.bin")), kFailed);
}

TEST_F(FileOperations, AnOutputNamedLikeAnInputNeverCorruptsIt) {
  ASSERT_GT(subtractAbsFromAbs(target, base, delta), 0);
  int written = addDeltaToAbs(base, delta, base);
  if (written == kFailed) {
    // Windows keeps a file that is being read from being deleted: the base stays as it was.
    EXPECT_EQ(scratch.read(base), baseBytes);
  } else {
    // Elsewhere the open base is still read while its name gets the result.
    EXPECT_EQ(written, static_cast<int>(targetBytes.size()));
    EXPECT_EQ(scratch.read(base), targetBytes);
  }
}

TEST_F(FileOperations, BadCodeMessageGoesToStandardOutput) {
  scratch.write(delta, hex("02 07000000 61626364656667 07 0A"));
  testing::internal::CaptureStdout();
  int written = addDeltaToAbs(base, delta, result);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "ERROR: bad code in delta at 13\n");
  EXPECT_EQ(written, 7);
  EXPECT_EQ(scratch.read(result), ascii("abcdefg"));
}

// A file that changes under a running operation: reads come up short, writes fail.
class ShrunkSource final : public ByteSource {
 public:
  explicit ShrunkSource(const Bytes& bytes) : bytes_(bytes) {}
  int64_t size() const override { return static_cast<int64_t>(bytes_.size()); }
  size_t readAt(int64_t offset, uint8_t* dest, size_t n) override {
    return MemorySource(bytes_.data(), bytes_.size() / 2).readAt(offset, dest, n);
  }

 private:
  const Bytes& bytes_;
};

class FullSink final : public ByteSink {
 public:
  bool append(const uint8_t*, size_t) override { return false; }
};

TEST(FailingFiles, ShortReadsAndFailedWritesAreErrors) {
  std::mt19937 rng(3);
  Bytes big = randomBytes(rng, 50000);
  Bytes d = hex("01 50C30000 00000000 0A");  // copies all 50,000 bytes
  ShrunkSource shrunk(big);
  MemorySource delta(d), base(big);
  MemorySink sink;
  FullSink full;
  {
    BufferedReader b(shrunk), r(delta);
    BufferedWriter out(sink);
    EXPECT_THROW(applyDelta(b, r, out), DeltaError);
  }
  {
    BufferedReader b(base), r(delta);
    BufferedWriter out(full);
    EXPECT_THROW(
        {
          applyDelta(b, r, out);
          out.finish();
        },
        DeltaError);
  }
  {
    BufferedReader t(shrunk), b(base);
    BufferedWriter out(sink);
    EXPECT_THROW(buildDelta(t, b, out), DeltaError);
  }
}

}  // namespace
