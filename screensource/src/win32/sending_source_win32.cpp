#include "win32/sending_source_win32.h"

#include "jni_callback.h"

namespace brevan::screensource::win32 {

namespace {

constexpr DWORD kCyclePause = 10;  // ms between packet cycles
constexpr jint kNotifyTag = 42;    // the second argument Java expects with every notification

struct ThreadStart {
  std::shared_ptr<SendingSource> self;
  CurrentPacket* packets;
};

}  // namespace

SendingSource::SendingSource(std::unique_ptr<Grabber> grabber, std::unique_ptr<CursorSource> cursor)
    : source_(std::make_unique<UpdateSource>(std::move(grabber), std::move(cursor), lock_)) {}

SendingSource::~SendingSource() = default;

HANDLE SendingSource::startSending(CurrentPacket& packets) {
  if (thread_) return thread_.get();
  auto* start = new ThreadStart{shared_from_this(), &packets};
  running_.store(true);
  thread_.reset(CreateThread(nullptr, 0, &SendingSource::threadMain, start, 0, &threadId_));
  if (!thread_) {
    running_.store(false);
    delete start;
  }
  return thread_.get();
}

// The thread holds the source for as long as it runs; if the table let go first, the source
// is freed here as the thread ends.
DWORD WINAPI SendingSource::threadMain(void* block) {
  std::unique_ptr<ThreadStart> start(static_cast<ThreadStart*>(block));
  start->self->run(*start->packets);
  return 0;
}

void SendingSource::run(CurrentPacket& packets) {
  brevan::jni::ThreadAttachment attachment;
  PacketBuffer packet;
  while (!source_->stopRequested()) {
    Sleep(kCyclePause);
    if (!source_->runCycle(packet)) continue;
    packets.publish(packet.data(), packet.size());
    brevan::jni::callStaticVoid(attachment.env(), "zemtra/nativeCode/WindowSourceNative",
                                "notifyPendingMessage", "(II)V", jint(packet.size()), kNotifyTag);
  }
  running_.store(false);
}

bool SendingSource::stop(DWORD limit) {
  source_->requestStop();
  if (!thread_ || GetCurrentThreadId() == threadId_) return !running_.load();
  return WaitForSingleObject(thread_.get(), limit) == WAIT_OBJECT_0;
}

}  // namespace brevan::screensource::win32
