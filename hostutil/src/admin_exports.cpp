// JNI exports of the administration methods; each hands its work to the system backends.

#include <optional>

#include "export_guard.h"
#include "jni_export.h"
#include "jni_strings.h"
#include "station_name.h"
#include "system_backends.h"

using brevan::jni::guarded;
using brevan::jni::javaChars;
using brevan::jni::javaString;

namespace {

brevan::hostutil::ProductRows javaProductRows(JNIEnv* env, jobjectArray rows) {
  brevan::hostutil::ProductRows result;
  const jsize count = rows ? env->GetArrayLength(rows) : 0;
  for (jsize i = 0; i < count; ++i) {
    auto row = static_cast<jobjectArray>(env->GetObjectArrayElement(rows, i));
    std::vector<std::u16string> texts;
    const jsize length = row ? env->GetArrayLength(row) : 0;
    for (jsize j = 0; j < length; ++j) {
      auto text = static_cast<jstring>(env->GetObjectArrayElement(row, j));
      texts.push_back(javaChars(env, text));
      if (text) env->DeleteLocalRef(text);
    }
    if (row) env->DeleteLocalRef(row);
    result.push_back(std::move(texts));
  }
  return result;
}

jstring driveIdentifier(JNIEnv* env, jchar letter,
                        std::u16string brevan::hostutil::DriveIds::*part) {
  const auto disks = brevan::hostutil::systemDisks();
  const auto ids = brevan::hostutil::driveIdentifiers(*disks, char16_t(letter));
  return ids ? javaString(env, (*ids).*part) : nullptr;
}

}  // namespace

BREVAN_JNI(jint) Java_zemtra_nativeCode_HostUtil_getActiveSessionId(JNIEnv*, jclass) {
  return guarded<jint>(0, [] { return brevan::hostutil::activeConsoleSessionId(); });
}

BREVAN_JNI(jlong) Java_zemtra_nativeCode_HostUtil_getUserSessionID(JNIEnv*, jclass) {
  return guarded<jlong>(0, [] { return brevan::hostutil::processSessionId(); });
}

BREVAN_JNI(jint) Java_zemtra_nativeCode_HostUtil_getWindowStationNumber(JNIEnv*, jclass) {
  return guarded<jint>(-1, [] { return brevan::hostutil::processWindowStationNumber(); });
}

BREVAN_JNI(jint)
Java_zemtra_nativeCode_HostUtil_createProcess(JNIEnv* env, jclass, jstring application,
                                              jstring arguments) {
  return guarded<jint>(-1, [&] {
    std::optional<std::u16string> argumentText;
    if (arguments) argumentText = javaChars(env, arguments);
    return brevan::hostutil::createProcessInConsoleSession(javaChars(env, application),
                                                           argumentText)
               ? 1
               : -1;
  });
}

BREVAN_JNI(jboolean)
Java_zemtra_nativeCode_HostUtil_createAndSelectNewPowerSettingWithoutStandby(JNIEnv*, jclass) {
  static brevan::hostutil::NoStandbyScheme scheme;
  guarded<bool>(false, [] {
    scheme.apply(*brevan::hostutil::systemPowerSchemes());
    return true;
  });
  return JNI_TRUE;
}

BREVAN_JNI(jstring)
Java_zemtra_nativeCode_HostUtil_getAllKnown3rdPartyFirewallsInstalledOnThisSystem(JNIEnv* env,
                                                                                  jclass) {
  return guarded<jstring>(nullptr, [&] {
    return javaString(
        env, brevan::hostutil::reportInstalledProducts(*brevan::hostutil::wmiInstalledProducts()));
  });
}

BREVAN_JNI(jstring)
Java_zemtra_nativeCode_HostUtil_getAllFirewallsRunningOnThisSystem(JNIEnv* env, jclass,
                                                                   jobjectArray products) {
  return guarded<jstring>(nullptr, [&] {
    const auto table = brevan::hostutil::runningProductTable(javaProductRows(env, products),
                                                             brevan::hostutil::upperCaseLocale);
    return javaString(
        env, brevan::hostutil::reportRunningProducts(table, brevan::hostutil::runningImageNames()));
  });
}

BREVAN_JNI(jstring) Java_zemtra_nativeCode_HostUtil_getDriveVId(JNIEnv* env, jclass, jchar letter) {
  return guarded<jstring>(
      nullptr, [&] { return driveIdentifier(env, letter, &brevan::hostutil::DriveIds::vendor); });
}

BREVAN_JNI(jstring) Java_zemtra_nativeCode_HostUtil_getDrivePId(JNIEnv* env, jclass, jchar letter) {
  return guarded<jstring>(
      nullptr, [&] { return driveIdentifier(env, letter, &brevan::hostutil::DriveIds::product); });
}

BREVAN_JNI(jboolean)
Java_zemtra_nativeCode_HostUtil_setServiceReadyForClientToStart(JNIEnv*, jclass, jboolean ready) {
  guarded<bool>(false, [&] {
    brevan::hostutil::setServiceReadyFlag(ready != JNI_FALSE);
    return true;
  });
  return JNI_TRUE;
}

BREVAN_JNI(jboolean)
Java_zemtra_nativeCode_HostUtil_getServiceReadyForClientToStart(JNIEnv*, jclass) {
  return guarded<jboolean>(
      JNI_FALSE, [] { return brevan::hostutil::serviceReadyFlag() ? JNI_TRUE : JNI_FALSE; });
}

BREVAN_JNI(jboolean)
Java_zemtra_nativeCode_HostUtil_setWindowAlwaysOnTop(JNIEnv* env, jclass, jstring title,
                                                     jboolean onTop) {
  return guarded<jboolean>(JNI_FALSE, [&] {
    if (title == nullptr) return JNI_FALSE;
    return brevan::hostutil::setWindowAlwaysOnTop(javaChars(env, title), onTop != JNI_FALSE)
               ? JNI_TRUE
               : JNI_FALSE;
  });
}
