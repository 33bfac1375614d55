// The pinned-array holders of jni_arrays.h through the test JNI host: what each release mode
// leaves in the Java array, and that a null array or string is never handed to the host.
#include "jni_arrays.h"
#include "jni_strings.h"
#include "jnitest/fake_jvm.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>

namespace {

using brevan::jni::PinnedBytes;
using brevan::jni::PinnedCritical;
using brevan::jni::PinnedInts;
using brevan::jni::ReleaseMode;

enum class Form { bytes, ints, critical };

// Element 0 of {1, 2, 3} is set to 10, committed if asked, set to 20, and the holder released.
struct Row {
  Form form;
  ReleaseMode mode;
  bool commitFirst;
  int javaAfterRelease;
};

constexpr Row kRows[] = {
    {Form::bytes, ReleaseMode::copyBackAndFree, false, 20},
    {Form::bytes, ReleaseMode::abort, false, 1},
    {Form::bytes, ReleaseMode::abort, true, 10},
    {Form::ints, ReleaseMode::copyBackAndFree, true, 20},
    {Form::ints, ReleaseMode::abort, false, 1},
    // The critical form hands out the array itself: no copy for a mode to keep or drop.
    {Form::critical, ReleaseMode::copyBackAndFree, false, 20},
    {Form::critical, ReleaseMode::abort, true, 20},
};

template <typename Holder, typename Element>
void writeCommitWrite(brevan::jnitest::FakeJvm& jvm, Holder& holder, Element* data, const Row& row,
                      const std::function<int()>& javaValue) {
  ASSERT_TRUE(holder);
  ASSERT_EQ(holder.size(), 3u);
  data[0] = 10;
  if (row.commitFirst) {
    holder.commit();
    EXPECT_EQ(javaValue(), 10);
    EXPECT_EQ(jvm.pinnedBuffers(), 1u) << "a commit keeps the buffer";
  }
  data[0] = 20;
  holder.release();
  EXPECT_FALSE(holder);
  EXPECT_EQ(holder.size(), 0u);
  EXPECT_EQ(javaValue(), row.javaAfterRelease);
  EXPECT_EQ(jvm.pinnedBuffers(), 0u);
}

TEST(JniHelpers, ReleaseModesAndNulls) {
  brevan::jnitest::FakeJvm jvm;
  JNIEnv* env = jvm.env();
  for (const Row& row : kRows) {
    SCOPED_TRACE(testing::Message() << "form " << int(row.form) << ", mode " << jint(row.mode)
                                    << (row.commitFirst ? ", committed" : ""));
    if (row.form == Form::bytes) {
      jbyteArray array = jvm.newByteArray({1, 2, 3});
      PinnedBytes pinned(env, array, row.mode);
      writeCommitWrite(jvm, pinned, pinned.data(), row, [&] { return int(jvm.bytes(array)[0]); });
    } else if (row.form == Form::ints) {
      jintArray array = jvm.newIntArray({1, 2, 3});
      PinnedInts pinned(env, array, row.mode);
      writeCommitWrite(jvm, pinned, pinned.data(), row, [&] { return int(jvm.ints(array)[0]); });
    } else {
      jintArray array = jvm.newIntArray({1, 2, 3});
      PinnedCritical pinned(env, array, brevan::jni::arrayLength(env, array), row.mode);
      writeCommitWrite(jvm, pinned, pinned.as<jint>(), row,
                       [&] { return int(jvm.ints(array)[0]); });
    }
  }

  // Null arrays and strings: nothing reaches the host (it fails loudly on a null there).
  EXPECT_EQ(brevan::jni::arrayLength(env, nullptr), 0u);
  const PinnedBytes bytes(env, nullptr, ReleaseMode::copyBackAndFree);
  const PinnedInts ints(env, nullptr, ReleaseMode::abort);
  const PinnedCritical critical(env, nullptr, 5, ReleaseMode::copyBackAndFree);
  EXPECT_TRUE(!bytes && bytes.data() == nullptr && bytes.size() == 0);
  EXPECT_TRUE(!ints && ints.data() == nullptr && ints.size() == 0);
  EXPECT_TRUE(!critical && critical.as<void>() == nullptr && critical.size() == 0);
  const brevan::jni::Utf16Chars utf16(env, nullptr);
  const brevan::jni::Utf8Chars utf8(env, nullptr);
  EXPECT_TRUE(!utf16 && utf16.size() == 0 && utf16.view().empty());
  EXPECT_TRUE(!utf8 && utf8.c_str() == nullptr);
  EXPECT_EQ(brevan::jni::javaChars(env, nullptr), u"");
  EXPECT_EQ(brevan::jni::javaCharsInPieces(env, nullptr), u"");
  EXPECT_EQ(brevan::jni::javaStringUtf8(env, nullptr), nullptr);

  // Moving a holder moves the one release with it.
  jbyteArray array = jvm.newByteArray({1});
  PinnedBytes first(env, array, ReleaseMode::copyBackAndFree);
  first.data()[0] = 7;
  PinnedBytes second(std::move(first));
  EXPECT_FALSE(first);
  second = PinnedBytes(env, nullptr, ReleaseMode::abort);
  EXPECT_EQ(jvm.bytes(array)[0], 7);
  EXPECT_EQ(jvm.pinnedBuffers(), 0u);
}

}  // namespace
