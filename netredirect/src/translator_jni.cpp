// The native methods of zemtra.nativeCode.AddressTranslator over the process's one translator.
#include <cstdlib>
#include <mutex>

#include "export_guard.h"
#include "jni_export.h"
#include "process_backend.h"
#include "translator.h"

namespace nr = brevan::netredirect;

namespace {

// Made on first use and never destroyed: workers may outlive every Java call.
nr::Translator& translator() {
  static nr::Translator* instance = new nr::Translator(nr::processBackend());
  return *instance;
}

void exitCleanUp() { translator().exitCleanUp(); }

jboolean toJava(bool value) { return value ? JNI_TRUE : JNI_FALSE; }

template <class Body>
jboolean guardedBool(Body&& body) {
  return brevan::jni::guarded<jboolean>(JNI_FALSE, [&] { return toJava(body()); });
}

}  // namespace

BREVAN_JNI(jboolean) Java_zemtra_nativeCode_AddressTranslator_open(JNIEnv*, jclass) {
  return guardedBool([] {
    if (!translator().open()) return false;
    static std::once_flag registered;
    std::call_once(registered, [] { std::atexit(exitCleanUp); });
    return true;
  });
}

BREVAN_JNI(jboolean) Java_zemtra_nativeCode_AddressTranslator_close(JNIEnv*, jclass) {
  return guardedBool([] { return translator().close(); });
}

BREVAN_JNI(jboolean) Java_zemtra_nativeCode_AddressTranslator_startTranslator(JNIEnv*, jclass) {
  return guardedBool([] { return translator().start(); });
}

BREVAN_JNI(jboolean) Java_zemtra_nativeCode_AddressTranslator_stopTranslator(JNIEnv*, jclass) {
  return guardedBool([] { return translator().stop(); });
}

BREVAN_JNI(jboolean)
Java_zemtra_nativeCode_AddressTranslator_isTranslatorRunning(JNIEnv*, jclass) {
  return guardedBool([] { return translator().isRunning(); });
}

BREVAN_JNI(jint) Java_zemtra_nativeCode_AddressTranslator_getAdaptorHashCode(JNIEnv*, jclass) {
  return brevan::jni::guarded<jint>(-1, [] { return jint(translator().adaptorHashCode()); });
}

BREVAN_JNI(jboolean)
Java_zemtra_nativeCode_AddressTranslator_addLocalRedirect(JNIEnv*, jclass, jint virtualAddress,
                                                          jint peerAddress, jint virtualPort,
                                                          jint localPort) {
  return guardedBool([&] {
    return translator().addLocalRedirect(virtualAddress, peerAddress, virtualPort, localPort);
  });
}

BREVAN_JNI(jboolean)
Java_zemtra_nativeCode_AddressTranslator_addRemoteRedirect(JNIEnv*, jclass, jint virtualAddress,
                                                           jint targetAddress, jint virtualPort,
                                                           jint targetPort, jint hardwareTail,
                                                           jint hardwareHead) {
  return guardedBool([&] {
    return translator().addRemoteRedirect(virtualAddress, targetAddress, virtualPort, targetPort,
                                          hardwareTail, hardwareHead);
  });
}

BREVAN_JNI(jboolean)
Java_zemtra_nativeCode_AddressTranslator_addSMBTranslations(JNIEnv*, jclass) {
  return guardedBool([] { return translator().addSmbTranslations(); });
}
