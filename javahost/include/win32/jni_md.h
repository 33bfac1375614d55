// Machine-dependent JNI types for 32-bit Windows hosts. The JDK's own jni.h includes this file
// in place of the Linux one: the Windows JVM calls native methods with __stdcall and passes
// jint as a 32-bit and jlong as a 64-bit integer.
#ifndef _JAVASOFT_JNI_MD_H_
#define _JAVASOFT_JNI_MD_H_

#define JNIEXPORT __declspec(dllexport)
#define JNIIMPORT __declspec(dllimport)
#define JNICALL __stdcall

// int rather than long: both are 32 bits here, and int keeps jint the same type as on Linux.
typedef int jint;
typedef long long jlong;
typedef signed char jbyte;

#endif
