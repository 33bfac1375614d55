// Channel data flow: the outbound queue and its writer, the read thread with reassembly, and
// delivery of inbound messages to listeners (or to the host in the Java host's build).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "channel_build_settings.h"
#include "service_sender.h"
#include "win32/channel_state_win32.h"
#include "win32/delivery_pool_win32.h"

using brevan::win32::asUtf16;
using brevan::win32::asWide;
using brevan::ipclink::win32::SlimLock;
namespace build = brevan::ipclink::build;

// One message for one listener (or for the host). The read thread has already parsed the
// message once to look at its source; the first listener is handed that parse.
struct DeliveryBlock : brevan::ipclink::win32::DeliveryJob {
  DeliveryBlock(IPCChannelState* c, IPCListenerInterface* l, const std::u16string& t,
                std::unique_ptr<IPCXMLMessage> parsed)
      : channel(c), listener(l), text(t), message(std::move(parsed)) {}
  void run() override { channel->deliver(this); }
  IPCChannelState* channel;
  IPCListenerInterface* listener;  // null in the host build
  std::u16string text;
  std::unique_ptr<IPCXMLMessage> message;  // the listener's own, made from text when null
};

namespace {

bool equalsIgnoringCase(const wchar_t* text, const wchar_t* expected) {
  return text && _wcsicmp(text, expected) == 0;
}

struct ServerMessageBlock {
  IPCChannelState* channel;
  std::unique_ptr<IPCXMLMessage> message;
};

// Owned copy of a message piece, freed with deleteString.
struct Piece {
  wchar_t* text;
  Piece(IPCXMLMessage& message, const wchar_t* name)
      : text(message.getMessagePieceWhichNeedsToBeDeleted(name)) {}
  ~Piece() { IPCXMLMessage::deleteString(text); }
  Piece(const Piece&) = delete;
  Piece& operator=(const Piece&) = delete;
};

}  // namespace

// ---- IPCChannel (exported) ----

void IPCChannel::postData(const wchar_t* framedText) {
  try {
    if (framedText) channelState->postData(asUtf16(framedText));
  } catch (...) {
  }
}

void IPCChannel::postData(IPCXMLMessage* message) {
  if (!message) return;
  wchar_t* framed = message->toStringWithLengthPrefixWhichNeedsToBeDeleted();
  postData(framed);
  IPCXMLMessage::deleteString(framed);
}

void IPCChannel::addIPCListener(IPCListenerInterface* listener) {
  try {
    if (listener) channelState->listeners.push_back(listener);
  } catch (...) {
  }
}

// ---- outbound ----

void IPCChannelState::postData(const char16_t* text) {
  std::lock_guard<SlimLock> lock(outboundQueueLock);
  status("%s: postData", {asUtf16(channelID)});
  // The writer sleeps only on an empty queue and takes the whole queue once woken, so only an
  // entry that finds the queue empty has to wake it.
  const bool wasEmpty = outboundQueue.empty();
  outboundQueue.emplace_back(text);
  ++queuedCount;
  if (wasEmpty) WakeConditionVariable(&outboundQueueNotEmpty);
}

DWORD WINAPI IPCChannelState::startDataQueueProcessingThread(void* argument) {
  auto* self = static_cast<IPCChannelState*>(argument);
  const char16_t* id = asUtf16(self->channelID);
  // Left once the goodbye is out (or given up on), not merely when it is asked for, so a
  // goodbye queued after the flag is still written.
  auto leave = [self] {
    return self->stopping() ||
           (build::kSendsGoodbye ? self->shutdownFinished : self->shutdownRequested);
  };
  self->status("%s: startDataQueueProcessingThread() - Start", {id});
  for (;;) {
    if (leave()) {
      self->status("%s: startDataQueueProcessingThread() - Finish", {id});
      self->queueThreadEnded = true;
      return 0;
    }
    std::lock_guard<SlimLock> lock(self->outboundQueueLock);
    // A condition variable rather than an event: a post that wakes the writer costs no trip
    // into the kernel. The time-out lets the writer see the shutdown flags, which wake nobody.
    if (self->outboundQueue.empty() && !leave()) {
      SleepConditionVariableSRW(&self->outboundQueueNotEmpty, self->outboundQueueLock.native(), 100,
                                0);
    }
    if (self->outboundQueue.empty()) continue;
    self->status("%s: startDataQueueProcessingThread() - Received QueueNotEmpty flag", {id});
    self->status("%s: startDataQueueProcessingThread() - Grabbed outboundQueueMutexHandle mutex",
                 {id});
    while (!self->outboundQueue.empty() && !leave()) {
      // The entry is written with the lock released, so a poster never waits for the pipe (a
      // write lasts until the other end has read it). Only this thread takes entries out and a
      // failed entry goes back to the front, so entries still go out in posting order.
      std::u16string entry = std::move(self->outboundQueue.front());
      self->outboundQueue.pop_front();
      self->outboundQueueLock.unlock();
      const bool written = self->PipeWrite(entry);
      self->outboundQueueLock.lock();
      if (written) {
        self->status("%s: startDataQueueProcessingThread() - Sent data to pipeWrite()", {id});
        if (self->queuedCount > 0) --self->queuedCount;  // Shutdown may have emptied the queue
        continue;
      }
      self->outboundQueue.push_front(std::move(entry));
      self->status(
          "%s: startDataQueueProcessingThread() - pipeWrite() returned FAIL.  Waiting to try "
          "again...",
          {id});
      self->outboundQueueLock.unlock();
      bool stopped = self->pause(50);
      self->outboundQueueLock.lock();
      if (stopped) break;
    }
    self->status("%s: startDataQueueProcessingThread() - Setting QueueEmpty flag", {id});
    self->status("%s: startDataQueueProcessingThread() - Releasing outboundQueueMutexHandle mutex",
                 {id});
  }
}

int IPCChannelState::PipeWrite(const std::u16string& text) {
  if (!outboundConnectionStatus) {
    status("%s: PipeWrite() outboundConnectionStatus == 0", {asUtf16(channelID)});
    pause(50);
    return 0;
  }
  HANDLE pipe = outboundPipe;
  DWORD written = 0;
  bool ok = brevan::ipclink::win32::pipeWrite(
      pipe, text.c_str(), static_cast<DWORD>(2 * (text.size() + 1)), &written, writeEvent.get(),
      stopEvent.get());
  status("%s: PipeWrite() wrote <%s> (%d bytes) : status = %s",
         {asUtf16(channelID), brevan::ipclink::prefixOf(text.c_str(), 250),
          static_cast<int>(written), ok ? u"TRUE" : u"FALSE"});
  return ok ? 1 : 0;
}

// ---- inbound ----

namespace {
constexpr DWORD kTracedReadBytes = 4096;
constexpr DWORD kUntracedReadBytes = 65536;
}  // namespace

DWORD WINAPI IPCChannelState::PipeReadThread(void* argument) {
  auto* self = static_cast<IPCChannelState*>(argument);
  const char16_t* id = asUtf16(self->channelID);
  const unsigned generation = self->setupGeneration;
  auto abandoned = [&] { return self->stopping() || generation != self->setupGeneration; };
  self->status("%s: PipeReadThread() - Start", {id});
  while (!self->shutdownRequested && !self->inboundConnectionStatus) {
    self->status(
        "%s: PipeReadThread() - inboundConnectionStatus wait failed, sleeping and trying again...",
        {id});
    if (self->pause(50) || abandoned()) return 0;
  }
  if (self->shutdownRequested || abandoned()) return 0;
  {
    std::lock_guard<SlimLock> lock(self->buildMessageLock);
    self->assembler.reset();  // a new connection starts on a frame boundary
  }
  // With status output on, the reads are traced as 4096-byte reads, as they always were.
  // Without it nothing shows how much one read takes, and a large message comes in one read
  // instead of one per 4096 bytes (each read is a trip through the system, and the writer at
  // the other end waits for all of them).
  const DWORD readBytes = self->outputEnabled ? kTracedReadBytes : kUntracedReadBytes;
  std::unique_ptr<uint8_t[]> readBuffer(new uint8_t[readBytes]);
  const ScopedHandle readEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!readEvent) return static_cast<DWORD>(-1);
  HANDLE pipe = self->inboundPipe;
  for (;;) {
    ZeroMemory(readBuffer.get(), readBytes);
    self->status("%s: PipeReadThread() - about to call ReadFile() [This->inboundPipe == %d]...",
                 {id, static_cast<int>(reinterpret_cast<intptr_t>(pipe))});
    DWORD got = 0;
    DWORD error = 0;
    bool ok = brevan::ipclink::win32::pipeRead(pipe, readBuffer.get(), readBytes, &got, &error,
                                               readEvent.get(), self->stopEvent.get());
    if (abandoned()) return 0;
    self->status("%s: PipeReadThread() - Returned from ReadFile() with readStatus == %d",
                 {id, ok ? 1 : 0});
    if (!ok && self->readError(error)) return static_cast<DWORD>(-1);
    bool dispatched = false;
    if (got > 0) {
      bool endReader = false;
      // Every complete frame of this read is delivered now, not after the next read.
      for (int n = static_cast<int>(got); self->BuildMessage(n, readBuffer.get()); n = 0) {
        dispatched = true;
        self->dispatchCompletedMessage(&endReader);
        if (endReader) return static_cast<DWORD>(-1);
      }
    }
    if (self->shutdownRequested) {
      if (dispatched) self->status("%s: PipeReadThread() - shutting down so returning...", {id});
      return build::kHostBuild ? 1 : 0;
    }
    if (!ok && self->pause(10)) return 0;  // an unlisted error: do not spin on it
  }
}

bool IPCChannelState::readError(DWORD error) {
  const char16_t* id = asUtf16(channelID);
  // A client whose router disconnects it (rather than closing) would otherwise be left
  // without a reader for good; it repairs as for a broken pipe.
  bool repairs = error == ERROR_BROKEN_PIPE ||
                 (build::kFileNotFoundRepairs && error == ERROR_FILE_NOT_FOUND) ||
                 (direction == IPC_TO_ROUTER && error == ERROR_PIPE_NOT_CONNECTED);
  if (repairs) {
    // After Shutdown the channel stays down: no repair, no retries.
    if (stopRetrying()) return true;
    if (direction == IPC_TO_ROUTER) {
      status("%s: PipeReadThread() - BROKEN PIPE (TO ROUTER), rebuilding...", {id});
      RebuildChannel();
    } else {
      status("%s: PipeReadThread() - BROKEN PIPE (FROM ROUTER), disconnecting...", {id});
      DisconnectClients();
    }
    return true;
  }
  switch (error) {
    case ERROR_PIPE_NOT_CONNECTED:
      status("%s: PipeReadThread() - ERROR_PIPE_NOT_CONNECTED", {id});
      return true;
    case ERROR_INVALID_HANDLE:
      status("%s: PipeReadThread() - ERROR_INVALID_HANDLE", {id});
      return true;
    case ERROR_ALREADY_EXISTS:
      status("%s: PipeReadThread() - ERROR_ALREADY_EXISTS", {id});
      return true;
    default:
      status("%s: PipeReadThread() - Unknown error [%d]", {id, static_cast<int>(error)});
      return false;
  }
}

int IPCChannelState::BuildMessage(int count, const uint8_t* bytes) {
  std::lock_guard<SlimLock> lock(buildMessageLock);
  size_t held = 0;
  if (!assembler.add(bytes, static_cast<size_t>(count), &held)) return 0;
  completedMessage = assembler.completed();
  status("%s: BuildMessage() completed message <%s> of length: %d bytes",
         {asUtf16(channelID), brevan::ipclink::prefixOf(completedMessage.c_str(), 250),
          static_cast<int>(held)});
  return 1;
}

void IPCChannelState::dispatchCompletedMessage(bool* endReader) {
  std::u16string text;
  {
    std::lock_guard<SlimLock> lock(buildMessageLock);
    text = completedMessage.c_str();  // up to the frame's NUL
  }
  // A message the service may have sent is parsed here, to read its source. So is any message
  // while no delivery thread waits: the parse paces this thread, so a burst does not start a
  // thread per message. Otherwise the waiting delivery threads parse while this thread reads on.
  const int needed = build::kListenerDelivery ? static_cast<int>(listeners.size()) : 1;
  std::unique_ptr<IPCXMLMessage> message;
  if (brevan::ipclink::mayComeFromService(text.c_str()) ||
      deliveries.spareThreads() < needed) {
    message = std::make_unique<IPCXMLMessage>(asWide(text.c_str()));
    bool fromService = false;
    {
      Piece source(*message, L"SOURCE_ID");
      fromService = equalsIgnoringCase(source.text, L"BrevanService");
    }
    if (fromService) {
      auto* block = new ServerMessageBlock{this, std::move(message)};
      if (!threads.start(processMessageFromServer, block)) delete block;
      return;
    }
  }
  if (text == u"let go") {
    RebuildChannel();
    *endReader = true;
    return;
  }
  deliverToListeners(text, std::move(message));
}

void IPCChannelState::deliverToListeners(const std::u16string& text,
                                         std::unique_ptr<IPCXMLMessage> parsed) {
  std::vector<IPCListenerInterface*> targets = listeners;
  if (!build::kListenerDelivery) targets.assign(1, nullptr);
  if (!build::kListenerDelivery) parsed.reset();  // the host takes the text
  for (IPCListenerInterface* listener : targets) {
    deliveries.submit(std::make_unique<DeliveryBlock>(this, listener, text, std::move(parsed)));
  }
}

DWORD WINAPI IPCChannelState::processMessageFromServer(void* argument) {
  std::unique_ptr<ServerMessageBlock> block(static_cast<ServerMessageBlock*>(argument));
  IPCChannelState* self = block->channel;
  const char16_t* id = asUtf16(self->channelID);
  self->status("%s: processMessageFromServer() - Start", {id});
  Piece action(*block->message, L"ACTION");
  if (equalsIgnoringCase(action.text, L"YouMayNowConnect")) {
    // An answer addressed to another channel (read off the shared service pipe) or one
    // that comes after admission changes nothing.
    Piece destination(*block->message, L"DESTINATION_ID");
    bool forUs = !destination.text || _wcsicmp(destination.text, self->channelID) == 0;
    if (forUs && !self->routerHasBeenNegotiatedWith.exchange(1)) self->RebuildChannel();
  } else if (build::kHonoursShutdownImmediately &&
             equalsIgnoringCase(action.text, L"ShutdownImmediately")) {
    std::exit(0);
  } else {
    wchar_t* text = block->message->toStringWhichNeedsToBeDeleted();
    if (text) self->deliverToListeners(asUtf16(text), nullptr);
    IPCXMLMessage::deleteString(text);
  }
  self->status("%s: processMessageFromServer() - Finish", {id});
  return 0;
}

// Runs on a delivery thread of the pool (never on the read thread).
void IPCChannelState::deliver(DeliveryBlock* block) {
  const char16_t* id = asUtf16(channelID);
  status("%s: sendToListenerThread() - Start", {id});
  try {
    if (build::kListenerDelivery) {
      IPCXMLMessage* message = block->message ? block->message.release()
                                              : new IPCXMLMessage(asWide(block->text.c_str()));
      block->listener->messageReceived(owner, message);
    } else if (host.deliver) {
      host.deliver(host.context, owner, asWide(block->text.c_str()));
    }
  } catch (...) {
  }
  status("%s: sendToListenerThread() - Waiting for parent handle to realize...", {id});
  status("%s: sendToListenerThread() - Parent handle realized", {id});
  status("%s: sendToListenerThread() - Finish", {id});
}
