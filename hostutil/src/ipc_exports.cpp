// The Java side's IPC channels: the channel classes of the host build, named by Java through a
// long that holds the channel's address.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <optional>
#include <thread>

#include "creation_lock.h"
#include "export_guard.h"
#include "framing.h"
#include "ipclink.h"
#include "jni_callback.h"
#include "jni_export.h"
#include "jni_strings.h"
#include "win32/host_channel_win32.h"

using brevan::jni::guarded;

namespace {

constexpr std::chrono::milliseconds kCreationPoll{100};
constexpr size_t kChannelIdCapacity = 1024;  // characters, terminator included

static_assert(sizeof(wchar_t) == sizeof(char16_t), "channel texts are UTF-16");

// The address, sign-extended from 32 bits as the Java side has always seen it.
jlong handleOf(IPCChannel* channel) { return jlong(intptr_t(channel)); }

IPCChannel* channelOf(jlong handle) { return reinterpret_cast<IPCChannel*>(intptr_t(handle)); }

const wchar_t* asWide(const std::u16string& text) {
  return reinterpret_cast<const wchar_t*>(text.c_str());
}

// Every inbound message of every channel, on a delivery thread the channel started.
void deliverToJava(void*, IPCChannel* channel, const wchar_t* text) {
  try {
    brevan::jni::ThreadAttachment attachment;
    JNIEnv* env = attachment.env();
    if (env == nullptr || text == nullptr) return;
    jstring message = brevan::jni::javaString(env, reinterpret_cast<const char16_t*>(text));
    brevan::jni::callStaticVoid(env, "zemtra/nativeCode/HostUtil",
                                "ipcSendReceivedDataToAllListeners", "(JLjava/lang/String;)V",
                                handleOf(channel), message);
    if (message != nullptr) env->DeleteLocalRef(message);
  } catch (...) {
  }
}

// The channel is constructed on a native thread of its own while the Java thread waits, so
// that none of the channel's start-up runs on a thread the JVM owns.
IPCChannel* constructOnNativeThread(const std::u16string& id, int direction) {
  std::atomic<bool> done{false};
  IPCChannel* channel = nullptr;
  std::thread constructor([&] {
    channel =
        brevan::ipclink::win32::createHostChannel(asWide(id), direction, {deliverToJava, nullptr});
    done.store(true);
  });
  while (!done.load()) std::this_thread::sleep_for(kCreationPoll);
  constructor.join();
  return channel;
}

}  // namespace

BREVAN_JNI(jlong)
Java_zemtra_nativeCode_HostUtil_ipcChannelCreateNew(JNIEnv* env, jclass, jstring channelId,
                                                    jint direction) {
  return guarded<jlong>(0, [&] {
    // Only client ends queue up behind other processes' creations; serving ends need no order.
    std::optional<brevan::hostutil::ChannelCreationLock> lock;
    if (direction == IPC_TO_ROUTER) lock.emplace();
    const std::u16string id = brevan::jni::javaChars(env, channelId);
    brevan::jni::rememberJavaVm(env);
    return handleOf(constructOnNativeThread(id, direction));
  });
}

BREVAN_JNI(jboolean)
Java_zemtra_nativeCode_HostUtil_ipcChannelPostData(JNIEnv* env, jclass, jlong handle,
                                                   jstring text) {
  guarded<bool>(false, [&] {
    std::u16string posted = brevan::jni::javaCharsInPieces(env, text);
    if (!brevan::ipclink::containsLengthTag(posted.c_str()))
      posted = brevan::ipclink::frameBody(posted);
    channelOf(handle)->postData(asWide(posted));
    return true;
  });
  return JNI_TRUE;
}

BREVAN_JNI(jstring)
Java_zemtra_nativeCode_HostUtil_ipcChannelGetID(JNIEnv* env, jclass, jlong handle) {
  return guarded<jstring>(nullptr, [&] {
    std::u16string id(reinterpret_cast<const char16_t*>(channelOf(handle)->getChannelID()));
    if (id.size() >= kChannelIdCapacity) id.resize(kChannelIdCapacity - 1);
    return brevan::jni::javaString(env, id);
  });
}

BREVAN_JNI(jboolean)
Java_zemtra_nativeCode_HostUtil_ipcChannelReadyToTalk(JNIEnv*, jclass, jlong handle) {
  return guarded<jboolean>(JNI_FALSE, [&] {
    return brevan::ipclink::win32::readyToTalk(channelOf(handle)) ? JNI_TRUE : JNI_FALSE;
  });
}

BREVAN_JNI(jboolean)
Java_zemtra_nativeCode_HostUtil_ipcChannelDisconnectAndRebuild(JNIEnv*, jclass, jlong handle) {
  guarded<bool>(false, [&] {
    channelOf(handle)->DisconnectClients();
    return true;
  });
  return JNI_TRUE;
}

BREVAN_JNI(jboolean)
Java_zemtra_nativeCode_HostUtil_ipcChannelCloseExisting(JNIEnv*, jclass, jlong handle) {
  guarded<bool>(false, [&] {
    // The destructor stops and waits for the channel's threads before anything is freed.
    delete channelOf(handle);
    return true;
  });
  return JNI_TRUE;
}

BREVAN_JNI(jboolean)
Java_zemtra_nativeCode_HostUtil_ipcChannelShutdown(JNIEnv*, jclass, jlong handle) {
  guarded<bool>(false, [&] {
    IPCChannel* channel = channelOf(handle);
    if (channel == nullptr) return true;
    brevan::ipclink::win32::requestShutdown(channel);
    delete channel;
    return true;
  });
  return JNI_TRUE;
}
