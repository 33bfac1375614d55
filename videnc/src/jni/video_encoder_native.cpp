// JNI exports of zemtra.nativeCode.VideoEncoderNative: ten encoder slots
// and ten image data source slots. Every export checks its slot indexes,
// sizes and arrays and answers its failure value (false, -1, or nothing)
// instead of touching memory it does not own; no exception leaves here.
#include <cstdio>
#include <memory>
#include <string>

#include "export_guard.h"
#include "image_data_source.h"
#include "jni_arrays.h"
#include "jni_export.h"
#include "jni_strings.h"
#include "slot_table.h"
#include "video_encoder.h"

namespace {

using brevan::jni::guarded;
using brevan::jni::PinnedBytes;
using brevan::jni::ReleaseMode;
using brevan::videnc::ImageDataSource;
using brevan::videnc::PacketKind;
using brevan::videnc::VideoEncoder;

brevan::videnc::SlotTable<VideoEncoder> encoders;
brevan::videnc::SlotTable<ImageDataSource> sources;

constexpr jboolean kFalse = JNI_FALSE;
constexpr jboolean kTrue = JNI_TRUE;

jboolean toJava(bool value) { return value ? kTrue : kFalse; }

jboolean makePacket(PacketKind kind, JNIEnv* env, jint encoder, jbyteArray frame, jint targetBits,
                    jint fixedQuant) {
  return guarded<jboolean>(kFalse, [&] {
    VideoEncoder* coder = encoders.get(encoder);
    if (coder == nullptr || frame == nullptr) return kFalse;
    const PinnedBytes bytes(env, frame, ReleaseMode::copyBackAndFree);
    return toJava(
        coder->makePacket(kind, bytes.as<uint8_t>(), bytes.size(), targetBits, fixedQuant));
  });
}

}  // namespace

BREVAN_RNI_VERSION()

BREVAN_JNI(jint)
Java_zemtra_nativeCode_VideoEncoderNative_newImageDataSource(JNIEnv*, jobject, jint width,
                                                             jint height) {
  return guarded<jint>(-1, [&] {
    if (!ImageDataSource::validSize(width, height)) return -1;
    return sources.add(std::make_unique<ImageDataSource>(width, height));
  });
}

BREVAN_JNI(void)
Java_zemtra_nativeCode_VideoEncoderNative_deleteImageDataSource(JNIEnv*, jobject, jint source) {
  guarded([&] { sources.remove(source); });
}

BREVAN_JNI(void)
Java_zemtra_nativeCode_VideoEncoderNative_updateDataYUV22(JNIEnv* env, jobject, jbyteArray frame,
                                                          jint source) {
  guarded([&] {
    ImageDataSource* target = sources.get(source);
    if (target == nullptr || frame == nullptr) return;
    const PinnedBytes bytes(env, frame, ReleaseMode::copyBackAndFree);
    target->update(bytes.as<uint8_t>(), bytes.size());
  });
}

BREVAN_JNI(jboolean)
Java_zemtra_nativeCode_VideoEncoderNative_updateDataFromFileYUV22(JNIEnv* env, jobject,
                                                                  jstring nameFormat, jint number,
                                                                  jint source) {
  return guarded<jboolean>(kFalse, [&] {
    ImageDataSource* target = sources.get(source);
    if (target == nullptr || nameFormat == nullptr) return kFalse;
    std::string name;
    {
      const brevan::jni::Utf8Chars format(env, nameFormat);
      if (!format || !brevan::videnc::formatFileName(format.c_str(), number, name)) return kFalse;
    }
    const ImageDataSource::LoadResult result = target->loadFile(name);
    if (result == ImageDataSource::LoadResult::NotFound) {
      std::printf("FILE NOT FOUND\r\n");
      std::fflush(stdout);
    }
    return toJava(result == ImageDataSource::LoadResult::Ok);
  });
}

BREVAN_JNI(jint)
Java_zemtra_nativeCode_VideoEncoderNative_newEncoder(JNIEnv*, jobject, jint width, jint height) {
  return guarded<jint>(-1, [&] {
    if (!brevan::videnc::validFrameSize(width, height)) return -1;
    return encoders.add(std::make_unique<VideoEncoder>(width, height));
  });
}

BREVAN_JNI(void)
Java_zemtra_nativeCode_VideoEncoderNative_deleteEncoder(JNIEnv*, jobject, jint encoder) {
  guarded([&] { encoders.remove(encoder); });
}

BREVAN_JNI(void)
Java_zemtra_nativeCode_VideoEncoderNative_setImageDataSource(JNIEnv*, jobject, jint source,
                                                             jint encoder) {
  guarded([&] {
    VideoEncoder* coder = encoders.get(encoder);
    if (coder != nullptr && sources.get(source) != nullptr) coder->setImageDataSource(source);
  });
}

BREVAN_JNI(void)
Java_zemtra_nativeCode_VideoEncoderNative_setAveragedFrames(JNIEnv*, jobject, jint encoder,
                                                            jint count) {
  guarded([&] {
    VideoEncoder* coder = encoders.get(encoder);
    // The history is a ring indexed modulo the count: it needs one entry.
    if (coder != nullptr && count >= 1) coder->rateControl().setAveragedFrames(count);
  });
}

BREVAN_JNI(jint)
Java_zemtra_nativeCode_VideoEncoderNative_getAveragedFrames(JNIEnv*, jobject, jint encoder) {
  return guarded<jint>(-1, [&] {
    const VideoEncoder* coder = encoders.get(encoder);
    return coder == nullptr ? -1 : coder->rateControl().averagedFrames();
  });
}

BREVAN_JNI(jboolean)
Java_zemtra_nativeCode_VideoEncoderNative_makeAbsolutePacket(JNIEnv* env, jobject, jint encoder,
                                                             jbyteArray frame, jint targetBits,
                                                             jint fixedQuant) {
  return makePacket(PacketKind::Absolute, env, encoder, frame, targetBits, fixedQuant);
}

BREVAN_JNI(jboolean)
Java_zemtra_nativeCode_VideoEncoderNative_makeRelativePacket(JNIEnv* env, jobject, jint encoder,
                                                             jbyteArray frame, jint targetBits,
                                                             jint fixedQuant) {
  return makePacket(PacketKind::Relative, env, encoder, frame, targetBits, fixedQuant);
}

BREVAN_JNI(jint)
Java_zemtra_nativeCode_VideoEncoderNative_getPacketBitLength(JNIEnv*, jobject, jint encoder) {
  return guarded<jint>(-1, [&] {
    const VideoEncoder* coder = encoders.get(encoder);
    return coder == nullptr ? -1 : coder->packetBitLength();
  });
}

BREVAN_JNI(jboolean)
Java_zemtra_nativeCode_VideoEncoderNative_getPacketData(JNIEnv* env, jobject, jbyteArray out,
                                                        jint encoder) {
  return guarded<jboolean>(kFalse, [&] {
    const VideoEncoder* coder = encoders.get(encoder);
    if (coder == nullptr || out == nullptr) return kFalse;
    const PinnedBytes bytes(env, out, ReleaseMode::copyBackAndFree);
    if (!bytes || bytes.size() < coder->packetByteLength()) return kFalse;
    coder->copyPacket(bytes.as<uint8_t>());
    return kTrue;
  });
}
