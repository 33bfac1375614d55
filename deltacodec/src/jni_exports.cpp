// The native methods of zemtra.nativeCode.DifferenceCompression.
#include <optional>

#include "export_guard.h"
#include "file_operations.h"
#include "jni_export.h"
#include "jni_strings.h"

namespace {

using brevan::delta::FileName;

std::optional<FileName> fileName(JNIEnv* env, jstring name) {
  const brevan::jni::Utf16Chars chars(env, name);
  if (!chars) return std::nullopt;
  // Copied whole: names longer than any fixed buffer are kept as they are.
  return FileName(chars.view());
}

using FileOperation = int (*)(const FileName&, const FileName&, const FileName&);

jint onNames(JNIEnv* env, jstring first, jstring second, jstring output, FileOperation operation) {
  return brevan::jni::guarded<jint>(brevan::delta::kFailed, [&] {
    std::optional<FileName> a = fileName(env, first), b = fileName(env, second);
    if (!a || !b) return brevan::delta::kCannotOpen;
    std::optional<FileName> c = fileName(env, output);
    if (!c) return brevan::delta::kFailed;
    return operation(*a, *b, *c);
  });
}

}  // namespace

BREVAN_JNI(jint)
Java_zemtra_nativeCode_DifferenceCompression_subtractAbsFromAbs(JNIEnv* env, jclass, jstring target,
                                                                jstring base, jstring delta) {
  return onNames(env, target, base, delta, brevan::delta::subtractAbsFromAbs);
}

BREVAN_JNI(jint)
Java_zemtra_nativeCode_DifferenceCompression_addDeltaToAbs(JNIEnv* env, jclass, jstring base,
                                                           jstring delta, jstring result) {
  return onNames(env, base, delta, result, brevan::delta::addDeltaToAbs);
}

BREVAN_JNI(jint)
Java_zemtra_nativeCode_DifferenceCompression_addDeltaToDelta(JNIEnv* env, jclass, jstring first,
                                                             jstring second, jstring result) {
  return onNames(env, first, second, result, brevan::delta::addDeltaToDelta);
}

BREVAN_JNI(jint)
Java_zemtra_nativeCode_DifferenceCompression_inverseDelta(JNIEnv* env, jclass, jstring base,
                                                          jstring delta, jstring result) {
  return onNames(env, base, delta, result, brevan::delta::inverseDelta);
}

// Single-file application was never offered.
BREVAN_JNI(jboolean)
Java_zemtra_nativeCode_DifferenceCompression_canUseSingleFile(JNIEnv*, jclass, jint) {
  return JNI_FALSE;
}

BREVAN_JNI(jint)
Java_zemtra_nativeCode_DifferenceCompression_addDeltaToAbsSingle(JNIEnv*, jclass, jint, jint) {
  return -1;
}

// Lets the Java side check that the library loaded.
BREVAN_JNI(jint) Java_zemtra_nativeCode_DifferenceCompression_test(JNIEnv*, jclass) { return 45; }
