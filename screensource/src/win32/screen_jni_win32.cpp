// JNI exports of zemtra.nativeCode.WindowSourceNative: selecting what to capture, the packet
// stream and its settings. Every slot is range-checked: outside 0-9 or on an empty slot a
// method does nothing and gives its "nothing" result. No exception leaves here.
#include <string>

#include "export_guard.h"
#include "jni_arrays.h"
#include "jni_callback.h"
#include "jni_export.h"
#include "jni_strings.h"
#include "win32/screen_sources_win32.h"
#include "win32/window_selection_win32.h"

using brevan::jni::guarded;
namespace screen = brevan::screensource::win32;

namespace {

constexpr size_t kTitlePrefixLimit = 127;  // characters of the search text that count

jint select(JNIEnv* env, HWND window) {
  brevan::jni::rememberJavaVm(env);
  return screen::createSource(screen::makeWindowGrabber(window));
}

template <typename Action>
void withSource(jint slot, Action&& action) {
  if (auto sending = screen::sourceAt(slot)) action(sending->source());
}

template <typename Result, typename Read>
Result fromSource(jint slot, Result none, Read&& read) {
  auto sending = screen::sourceAt(slot);
  return sending ? read(sending->source()) : none;
}

}  // namespace

BREVAN_JNI(jint)
Java_zemtra_nativeCode_WindowSourceNative_getDesktopWindow(JNIEnv* env, jclass) {
  return guarded<jint>(-1, [&] {
    brevan::jni::rememberJavaVm(env);
    return screen::createSource(screen::makeDesktopGrabber());
  });
}

BREVAN_JNI(jint) Java_zemtra_nativeCode_WindowSourceNative_getSelectedWindow(JNIEnv* env, jclass) {
  return guarded<jint>(-1, [&] { return select(env, screen::startPick()); });
}

BREVAN_JNI(jint)
Java_zemtra_nativeCode_WindowSourceNative_getNamedWindow(JNIEnv* env, jclass, jstring title) {
  return guarded<jint>(-1, [&] {
    if (title == nullptr) return jint(-1);
    std::wstring prefix;
    {
      brevan::jni::Utf16Chars chars(env, title);
      if (chars.data() == nullptr) return jint(-1);
      std::u16string_view text = chars.view().substr(0, kTitlePrefixLimit);
      prefix.assign(text.begin(), text.end());
    }
    return select(env, screen::findNamedWindow(prefix));
  });
}

BREVAN_JNI(jint)
Java_zemtra_nativeCode_WindowSourceNative_getLocatedWindow(JNIEnv* env, jclass, jint x, jint y) {
  return guarded<jint>(-1, [&] { return select(env, screen::locatedWindow(x, y)); });
}

BREVAN_JNI(jint) Java_zemtra_nativeCode_WindowSourceNative_closeWindow(JNIEnv*, jclass, jint slot) {
  return guarded<jint>(0, [&] { return jint(screen::closeSource(slot)); });
}

BREVAN_JNI(jint)
Java_zemtra_nativeCode_WindowSourceNative_startSendingUpdates(JNIEnv* env, jclass, jint slot) {
  return guarded<jint>(0, [&] {
    brevan::jni::rememberJavaVm(env);
    // Java keeps the handle in an int; it only tells that a thread was started.
    return jint(screen::startSending(slot));
  });
}

BREVAN_JNI(jint)
Java_zemtra_nativeCode_WindowSourceNative_copyCurrentDataPacket(JNIEnv* env, jclass,
                                                                jbyteArray packet) {
  return guarded<jint>(1, [&] {
    if (packet == nullptr) return jint(1);
    const jsize length = env->GetArrayLength(packet);
    brevan::jni::PinnedCritical bytes(env, packet, size_t(length),
                                      brevan::jni::ReleaseMode::copyBackAndFree);
    if (uint8_t* data = bytes.as<uint8_t>()) screen::currentPacket().takeInto(data, bytes.size());
    return jint(1);
  });
}

BREVAN_JNI(void)
Java_zemtra_nativeCode_WindowSourceNative_setBitsPerColor(JNIEnv*, jclass, jint bits, jint slot) {
  guarded([&] { withSource(slot, [&](auto& source) { source.setBitsPerColor(bits); }); });
}

BREVAN_JNI(jint)
Java_zemtra_nativeCode_WindowSourceNative_getPixelWidth(JNIEnv*, jclass, jint slot) {
  return guarded<jint>(0, [&] {
    return fromSource(slot, jint(0), [](auto& source) { return jint(source.pixelWidth()); });
  });
}

BREVAN_JNI(jint)
Java_zemtra_nativeCode_WindowSourceNative_getPixelHeight(JNIEnv*, jclass, jint slot) {
  return guarded<jint>(0, [&] {
    return fromSource(slot, jint(0), [](auto& source) { return jint(source.pixelHeight()); });
  });
}

BREVAN_JNI(void)
Java_zemtra_nativeCode_WindowSourceNative_raisePendingRestartFlag(JNIEnv*, jclass, jint slot) {
  guarded([&] { withSource(slot, [](auto& source) { source.raisePendingRestartFlag(); }); });
}
