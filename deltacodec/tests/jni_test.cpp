// The exports of the DeltaCodec library as the Java class calls them, through the test JNI host:
// file names arrive as UTF-16 strings, with spaces, non-ASCII characters and great lengths.
#include <gtest/gtest.h>

#include <filesystem>

#include "jnitest/fake_jvm.h"
#include "jnitest/library.h"
#include "test_data.h"

namespace {

using namespace brevan::delta::test;
using brevan::delta::FileName;

using FileOperation = jint(JNICALL*)(JNIEnv*, jclass, jstring, jstring, jstring);

class DeltaCodecExports : public testing::Test {
 protected:
  brevan::jnitest::FakeJvm jvm;
  JNIEnv* env = jvm.env();
  brevan::jnitest::Library lib{"DeltaCodec"};
  FileOperation subtract = method("subtractAbsFromAbs");
  FileOperation add = method("addDeltaToAbs");
  FileOperation join = method("addDeltaToDelta");
  FileOperation inverse = method("inverseDelta");
  Scratch scratch;

  FileOperation method(const std::string& name) {
    return lib.get<FileOperation>(("Java_zemtra_nativeCode_DifferenceCompression_" + name).c_str());
  }
  jint call(FileOperation op, const FileName& a, const FileName& b, const FileName& c) {
    return op(env, nullptr, jvm.newString(a), jvm.newString(b), jvm.newString(c));
  }

  // Build, apply, invert and join with files named name + a suffix.
  void roundTrip(const std::u16string& name) {
    std::mt19937 rng(21);
    Bytes base = randomText(rng, 30000), target = edited(base, rng, 700);
    FileName b = scratch.path(name + u" base"), t = scratch.path(name + u" target");
    FileName d = scratch.path(name + u" delta"), r = scratch.path(name + u" result");
    FileName i = scratch.path(name + u" inverse"), j = scratch.path(name + u" joined");
    scratch.write(b, base);
    scratch.write(t, target);
    jint size = call(subtract, t, b, d);
    EXPECT_EQ(scratch.read(d), build(target, base));
    EXPECT_EQ(size, static_cast<jint>(scratch.read(d).size()));
    EXPECT_EQ(call(add, b, d, r), static_cast<jint>(target.size()));
    EXPECT_EQ(scratch.read(r), target);
    EXPECT_GT(call(inverse, b, d, i), 0);
    EXPECT_EQ(call(add, t, i, r), static_cast<jint>(base.size()));
    EXPECT_EQ(scratch.read(r), base);
    EXPECT_GT(call(join, d, i, j), 0);
    EXPECT_EQ(call(add, b, j, r), static_cast<jint>(base.size()));
    EXPECT_EQ(scratch.read(r), base);
    EXPECT_EQ(jvm.pinnedBuffers(), 0u) << "every name is released";
  }
};

TEST_F(DeltaCodecExports, FixedAnswers) {
  EXPECT_EQ(lib.get<jint(JNICALL*)(JNIEnv*, jclass)>(
                "Java_zemtra_nativeCode_DifferenceCompression_test")(env, nullptr),
            45);
  EXPECT_EQ(lib.get<jboolean(JNICALL*)(JNIEnv*, jclass, jint)>(
                "Java_zemtra_nativeCode_DifferenceCompression_canUseSingleFile")(env, nullptr, 7),
            JNI_FALSE);
  EXPECT_EQ(
      lib.get<jint(JNICALL*)(JNIEnv*, jclass, jint, jint)>(
          "Java_zemtra_nativeCode_DifferenceCompression_addDeltaToAbsSingle")(env, nullptr, 1, 2),
      -1);
}

TEST_F(DeltaCodecExports, PlainNames) { roundTrip(u"plain"); }

TEST_F(DeltaCodecExports, NamesWithSpacesAndNonAsciiCharacters) {
  roundTrip(u"d\u00e9lta \u00fcber \u6587\u4ef6 \U0001F600");
}

TEST_F(DeltaCodecExports, NamesLongerThan513Units) {
  // Two folders of 80 units, then "./" steps: a name of over 800 units for a file whose path the
  // file system also takes without its long-name form, so that the scratch folder can be removed.
  std::u16string folder(80, u'n');
  FileName dir = scratch.path(u"");
  std::u16string relative;
  for (int i = 0; i < 2; ++i) {
    relative += folder + static_cast<char16_t>(u'0' + i) + u"/";
    ASSERT_TRUE(std::filesystem::create_directory(std::filesystem::path(dir + relative)))
        << "folder " << i;
  }
  for (int i = 0; i < 300; ++i) relative += u"./";
  ASSERT_GT((dir + relative).size(), 800u);
  roundTrip(relative + u"long \u00e9");
}

TEST_F(DeltaCodecExports, MissingFilesAndMissingNames) {
  FileName present = scratch.path(u"present"), out = scratch.path(u"out");
  scratch.write(present, hex("0A"));
  EXPECT_EQ(call(add, scratch.path(u"absent"), present, out), -2);
  EXPECT_EQ(call(add, present, scratch.path(u"absent"), out), -2);
  EXPECT_EQ(add(env, nullptr, nullptr, jvm.newString(present), jvm.newString(out)), -2);
  EXPECT_EQ(add(env, nullptr, jvm.newString(present), jvm.newString(present), nullptr), -1);
  EXPECT_FALSE(scratch.exists(out));
  EXPECT_EQ(call(add, present, present, out), 0) << "a lone end code applied to anything";
  EXPECT_TRUE(scratch.exists(out));
}

}  // namespace
