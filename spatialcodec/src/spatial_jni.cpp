// JNI exports of zemtra.nativeCode.SpatialCompression. Every export checks
// its arrays and ranges, never throws and reports failure by its result.
#include <cstdint>
#include <optional>

#include "dangerous_size.h"
#include "export_guard.h"
#include "filter_table.h"
#include "image_codec.h"
#include "jni_arrays.h"
#include "jni_export.h"
#include "range_codec.h"

namespace {

using brevan::jni::guarded;
using brevan::jni::PinnedBytes;
using brevan::jni::PinnedCritical;
using brevan::jni::PinnedInts;
using brevan::jni::ReleaseMode;

using RangeCoder = brevan::spatial::RangeOutcome (*)(const brevan::spatial::RangeCall&);

jint runRange(JNIEnv* env, RangeCoder coder, jbyteArray src, jint start, jint end, jbyteArray dst,
              jint offset, jint capacity) {
  const brevan::spatial::RangeOutcome outcome =
      guarded(brevan::spatial::RangeOutcome{-1, false}, [&] {
        PinnedBytes source(env, src, ReleaseMode::copyBackAndFree);
        PinnedBytes destination(env, dst, ReleaseMode::copyBackAndFree);
        if (!source || !destination) return brevan::spatial::RangeOutcome{-1, false};
        const brevan::spatial::RangeOutcome coded =
            coder({source.as<const uint8_t>(), source.size(), start, end, destination.as<uint8_t>(),
                   destination.size(), offset, capacity});
        // In this order, so that the destination is written back last when both are one array.
        source.release();
        destination.release();
        return coded;
      });
  // The warning waits for the user, so it comes after the arrays are released.
  if (outcome.dangerousSize) brevan::spatial::notifyDangerousSize();
  return outcome.result;
}

// An int result that fits: the image exports return 32-bit values.
jint toJint(int64_t value) { return static_cast<jint>(static_cast<uint32_t>(value)); }

}  // namespace

BREVAN_JNI(jint)
Java_zemtra_nativeCode_SpatialCompression_encode(JNIEnv* env, jobject, jbyteArray src, jint start,
                                                 jint end, jbyteArray dst, jint offset,
                                                 jint capacity, jint, jint) {
  // The capacity check comes before the arrays are touched.
  if (brevan::spatial::capacityBelowInput(start, end, capacity)) return -1;
  return runRange(env, brevan::spatial::encodeRange, src, start, end, dst, offset, capacity);
}

BREVAN_JNI(jint)
Java_zemtra_nativeCode_SpatialCompression_decode(JNIEnv* env, jobject, jbyteArray src, jint start,
                                                 jint end, jbyteArray dst, jint offset,
                                                 jint capacity, jint, jint) {
  return runRange(env, brevan::spatial::decodeRange, src, start, end, dst, offset, capacity);
}

BREVAN_JNI(jint) Java_zemtra_nativeCode_SpatialCompression_getImageFilterIndex(JNIEnv*, jobject) {
  return guarded<jint>(-1, [] { return brevan::spatial::FilterTable::process().acquire(); });
}

BREVAN_JNI(void)
Java_zemtra_nativeCode_SpatialCompression_resetImageFilterIndex(JNIEnv*, jobject, jint index) {
  brevan::spatial::FilterTable::process().reset(index);
}

BREVAN_JNI(jboolean)
Java_zemtra_nativeCode_SpatialCompression_releaseImageFilterIndex(JNIEnv*, jobject, jint index) {
  return brevan::spatial::FilterTable::process().release(index) ? JNI_TRUE : JNI_FALSE;
}

BREVAN_JNI(void)
Java_zemtra_nativeCode_SpatialCompression_setBitsPerColor(JNIEnv*, jobject, jint bits, jint index) {
  brevan::spatial::FilterTable::process().setBitsPerColor(bits, index);
}

BREVAN_JNI(jint)
Java_zemtra_nativeCode_SpatialCompression_encodeImageFilterFull(
    JNIEnv* env, jobject, jintArray pixels, jint offset, jint width, jint height, jint scanline,
    jbyteArray out, jint outPos, jint workSize, jint index) {
  return guarded<jint>(brevan::spatial::kImageFailure, [&] {
    PinnedInts source(env, pixels, ReleaseMode::copyBackAndFree);
    PinnedBytes target(env, out, ReleaseMode::copyBackAndFree);
    if (!source || !target) return brevan::spatial::kImageFailure;
    const int64_t length = brevan::spatial::encodeImage(
        brevan::spatial::FilterTable::process(), index,
        {source.as<const uint32_t>(), source.size()}, {offset, width, height, scanline},
        {target.as<uint8_t>(), target.size()}, workSize);
    source.release();
    target.release();
    return length < 0 ? brevan::spatial::kImageFailure : toJint(int64_t(outPos) + length);
  });
}

BREVAN_JNI(jint)
Java_zemtra_nativeCode_SpatialCompression_decodeImageFilterFull(
    JNIEnv* env, jobject, jbyteArray coded, jint start, jint end, jintArray pixels, jint offset,
    jint width, jint height, jint scanline, jint index) {
  return guarded<jint>(brevan::spatial::kImageFailure, [&] {
    const size_t codedLength = brevan::jni::arrayLength(env, coded);
    const size_t pixelCount = brevan::jni::arrayLength(env, pixels);
    // The pixel array is taken last so that it is released first.
    PinnedCritical source(env, coded, codedLength, ReleaseMode::copyBackAndFree);
    PinnedCritical target(env, pixels, pixelCount, ReleaseMode::copyBackAndFree);
    if (!source || !target) return brevan::spatial::kImageFailure;
    return toJint(brevan::spatial::decodeImage(
        brevan::spatial::FilterTable::process(), index, {source.as<const uint8_t>(), source.size()},
        start, end, {target.as<uint32_t>(), target.size()}, {offset, width, height, scanline}));
  });
}

// The block-set calls are kept for callers that still make them; they do nothing.
BREVAN_JNI(jboolean)
Java_zemtra_nativeCode_SpatialCompression_initializeBlockSet(JNIEnv*, jobject, jint, jint, jint) {
  return JNI_TRUE;
}

BREVAN_JNI(jboolean)
Java_zemtra_nativeCode_SpatialCompression_doesBlockSetExist(JNIEnv*, jobject, jint, jint) {
  return JNI_FALSE;
}

BREVAN_JNI(void)
Java_zemtra_nativeCode_SpatialCompression_terminateBlockSet(JNIEnv*, jobject, jint, jint) {}

BREVAN_JNI(void)
Java_zemtra_nativeCode_SpatialCompression_terminateAllBlockSets(JNIEnv*, jobject) {}
