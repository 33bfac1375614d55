// How a library declares its native methods and its host-probe export.
#pragma once

#include <jni.h>

#include <cstdint>

// The Java types have fixed sizes whatever the platform's jni_md.h says.
static_assert(sizeof(jint) == 4 && sizeof(jlong) == 8 && sizeof(jchar) == 2,
              "jni_md.h does not match the Java types");

// BREVAN_JNI(jint) Java_zemtra_nativeCode_<Class>_<method>(JNIEnv* env, jclass, ...) { ... }
// On win32 the build adds both the decorated stdcall name and the plain name to the export table.
#define BREVAN_JNI(rettype) extern "C" JNIEXPORT rettype JNICALL

// Hosts that probe for RNIGetCompatibleVersion accept a library that answers 0x00020000.
// Use once at file scope; a trailing semicolon is optional.
#define BREVAN_RNI_VERSION() \
  extern "C" JNIEXPORT std::uint32_t RNIGetCompatibleVersion() { return 0x00020000u; }
