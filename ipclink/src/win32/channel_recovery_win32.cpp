// Channel recovery and teardown: disconnect and rebuild, the goodbye and Shutdown, the
// destructor, the reaper of delivery threads, the handle watcher and status output.
#include <windows.h>

#include <cstdio>

#include "channel_build_settings.h"
#include "win32/channel_state_win32.h"

using brevan::ipclink::win32::channelGlobals;
using brevan::win32::asUtf16;
using brevan::win32::asWide;
using brevan::win32::MutexLock;
using brevan::win32::ScopedHandle;
namespace build = brevan::ipclink::build;

namespace {

// Pipe task block: lives on the stack of the repair that waits for the task.
struct PipeTask {
  IPCChannelState* channel;
  std::atomic<bool> done{false};
};

// A handle as the number the status lines show; handle values are small, but 64-bit ones are
// kept whole.
long long handleValue(HANDLE handle) {
  return static_cast<long long>(reinterpret_cast<intptr_t>(handle));
}

void closePipe(std::atomic<HANDLE>& slot) {
  HANDLE pipe = slot.exchange(nullptr);
  ScopedHandle(pipe).close();
}

}  // namespace

// ---- IPCChannel (exported) ----

void IPCChannel::DisconnectClients() {
  try {
    channelState->DisconnectClients();
  } catch (...) {
  }
}

void IPCChannel::RebuildChannel() {
  try {
    channelState->RebuildChannel();
  } catch (...) {
  }
}

void IPCChannel::Shutdown() {
  try {
    channelState->Shutdown();
  } catch (...) {
  }
}

IPCChannel::~IPCChannel() {
  IPCChannelState* state = channelState;
  if (!state) return;
  try {
    // A thread that would not stop still refers to the state: leave it to that thread
    // rather than free memory under it.
    if (state->stopAllThreads()) delete state;
  } catch (...) {
  }
}

// ---- repairs ----

void IPCChannelState::beginRepair() {
  // Older set-up workers and readers leave; a frame cut off by the break is dropped.
  ++setupGeneration;
  DWORD started = GetTickCount();
  while (activeSetupWorkers > 0 &&
         GetTickCount() - started < brevan::ipclink::win32::kSetupHandOverLimitMs) {
    if (pause(10)) break;
  }
  std::lock_guard<brevan::ipclink::win32::SlimLock> lock(buildMessageLock);
  assembler.reset();
}

void IPCChannelState::runPipeTasks(LPTHREAD_START_ROUTINE outbound,
                                   LPTHREAD_START_ROUTINE inbound) {
  PipeTask outTask{this, false};
  PipeTask inTask{this, false};
  if (!threads.start(outbound, &outTask)) outbound(&outTask);
  if (!threads.start(inbound, &inTask)) inbound(&inTask);
  while (!outTask.done || !inTask.done) Sleep(100);
}

// The two repairs differ only in their pipe tasks and status lines.
void IPCChannelState::repair(const RepairLines& lines, LPTHREAD_START_ROUTINE outbound,
                             LPTHREAD_START_ROUTINE inbound) {
  const char16_t* id = asUtf16(channelID);
  status(lines.start, {id});
  beginRepair();
  status(lines.waiting, {id});
  runPipeTasks(outbound, inbound);
  status(lines.done, {id});
  status(lines.again, {id});
  startPipeSetup();
  status(lines.finish, {id});
}

void IPCChannelState::DisconnectClients() {
  static const RepairLines kLines = {
      "%s: DisconnectClients() - Start",
      "%s: DisconnectClients() - Waiting for Inbound & Outbound to disconnect",
      "%s: DisconnectClients() - Inbound & Outbound Disconnected",
      "%s: DisconnectClients() - Starting pipes again...", "%s: DisconnectClients() - Finish"};
  repair(kLines, DisconnectOutboundPipe, DisconnectInboundPipe);
}

void IPCChannelState::RebuildChannel() {
  static const RepairLines kLines = {
      "%s: RebuildChannel() - Start",
      "%s: RebuildChannel() - Waiting for Inbound & Outbound to close...",
      "%s: RebuildChannel() - Inbound & Outbound Closed",
      "%s: RebuildChannel() - Starting pipes again...", "%s: RebuildChannel() - Finish"};
  repair(kLines, CloseOutboundPipe, CloseInboundPipe);
}

namespace {

// Disconnect (keep = true) or close one pipe of the channel.
void pipeTask(PipeTask* task, bool inbound, bool keep) {
  IPCChannelState* self = task->channel;
  const char16_t* id = asUtf16(self->channelID);
  static const char* const kLines[2][2][2] = {
      {{"%s: CloseOutboundPipe() - Start", "%s: CloseOutboundPipe() - Finish"},
       {"%s: CloseInboundPipe() - Start", "%s: CloseInboundPipe() - Finish"}},
      {{"%s: DisconnectOutboundPipe() - Start", "%s: DisconnectOutboundPipe() - Finish"},
       {"%s: DisconnectInboundPipe() - Start", "%s: DisconnectInboundPipe() - Finish"}}};
  const char* const* lines = kLines[keep][inbound];
  self->status(lines[0], {id});
  std::atomic<HANDLE>& pipe = inbound ? self->inboundPipe : self->outboundPipe;
  std::atomic<int>& connected =
      inbound ? self->inboundConnectionStatus : self->outboundConnectionStatus;
  connected = 0;
  // A serving end's disconnect discards what its client has not read yet.
  if (!inbound && self->direction == IPC_FROM_ROUTER && pipe.load()) FlushFileBuffers(pipe);
  if (inbound)
    self->pipeReadThreadHandle = nullptr;  // the group owns it; the reader ends on its own
  if (self->direction == IPC_FROM_ROUTER && pipe.load()) DisconnectNamedPipe(pipe);
  if (!keep || build::kDisconnectClosesPipes) closePipe(pipe);
  task->done = true;
  self->status(lines[1], {id});
}

}  // namespace

DWORD WINAPI IPCChannelState::DisconnectOutboundPipe(void* task) {
  pipeTask(static_cast<PipeTask*>(task), false, true);
  return 0;
}

DWORD WINAPI IPCChannelState::DisconnectInboundPipe(void* task) {
  pipeTask(static_cast<PipeTask*>(task), true, true);
  return 0;
}

DWORD WINAPI IPCChannelState::CloseOutboundPipe(void* task) {
  pipeTask(static_cast<PipeTask*>(task), false, false);
  return 0;
}

DWORD WINAPI IPCChannelState::CloseInboundPipe(void* task) {
  pipeTask(static_cast<PipeTask*>(task), true, false);
  return 0;
}

// ---- leaving ----

void IPCChannelState::tellRouterToLetGo() {
  status("%s: tellRouterToLetGo() - Start", {asUtf16(channelID)});
  IPCXMLMessage goodbye(channelID, L"BrevanService", L"PleaseDisconnectMeFromTheRouter");
  wchar_t* framed = goodbye.toStringWithLengthPrefixWhichNeedsToBeDeleted();
  if (framed) postData(asUtf16(framed));
  IPCXMLMessage::deleteString(framed);
  status("%s: tellRouterToLetGo() - Finish", {asUtf16(channelID)});
}

void IPCChannelState::Shutdown() {
  if (shutdownFinished) return;
  shutdownRequested = true;
  const char16_t* id = asUtf16(channelID);
  status("Shutdown() - (channel %s) - Start", {id});
  if (build::kSendsGoodbye) tellRouterToLetGo();
  status("Shutdown() - (channel %s) - Waiting for outbound messages queue to empty - Start...",
         {id});
  // The goodbye is written when the pipe is up or comes back within the bound; a pipe that
  // stays down must not hold the caller for ever.
  DWORD started = GetTickCount();
  while (queuedCount > 0 &&
         GetTickCount() - started < brevan::ipclink::win32::kGoodbyeWaitLimitMs) {
    if (pause(100)) break;
  }
  status("Shutdown() - (channel %s) - Waiting for outbound messages queue to empty - Finished...",
         {id});
  shutdownFinished = true;
  started = GetTickCount();
  while (!queueThreadEnded &&
         GetTickCount() - started < brevan::ipclink::win32::kThreadStopLimitMs) {
    if (pause(10)) break;
  }
  {
    std::lock_guard<brevan::ipclink::win32::SlimLock> lock(outboundQueueLock);
    outboundQueue.clear();
    queuedCount = 0;
  }
  listeners.clear();
  status("Shutdown() - (channel %s) - Finish", {id});
}

bool IPCChannelState::stopAllThreads() {
  const char16_t* id = asUtf16(channelID);
  status("%s: channel Destructor - Start", {id});
  shutdownRequested = true;
  threads.stop();
  SetEvent(stopEvent.get());
  {
    std::lock_guard<brevan::ipclink::win32::SlimLock> lock(outboundQueueLock);
    WakeAllConditionVariable(&outboundQueueNotEmpty);
  }
  deliveries.stop();
  // A serving end's pending connects and reads end when its pipes are disconnected; every
  // other wait also watches stopEvent.
  if (direction == IPC_FROM_ROUTER) {
    if (HANDLE pipe = inboundPipe) DisconnectNamedPipe(pipe);
    if (HANDLE pipe = outboundPipe) DisconnectNamedPipe(pipe);
  }
  bool ended = threads.joinAll(brevan::ipclink::win32::kThreadStopLimitMs);
  DWORD started = GetTickCount();
  while (deliveries.liveThreads() > 0 &&
         GetTickCount() - started < brevan::ipclink::win32::kThreadStopLimitMs)
    Sleep(10);
  ended = ended && deliveries.liveThreads() == 0;
  reapFinishedThreads(1000);
  closePipe(inboundPipe);
  closePipe(outboundPipe);
  status("%s: channel Destructor - Finished", {id});
  if (!ended) std::printf("Error: channel threads did not stop; channel left allocated\n");
  return ended;
}

IPCChannelState::~IPCChannelState() = default;

// ---- reaper ----

DWORD WINAPI IPCChannelState::reaperThread(void* argument) {
  auto* self = static_cast<IPCChannelState*>(argument);
  auto& globals = channelGlobals();
  self->status("%s: reaperThread() - Start", {asUtf16(self->channelID)});
  HANDLE waits[2] = {globals.reaperListNotEmptyFlag, self->stopEvent.get()};
  for (;;) {
    DWORD woke = WaitForMultipleObjects(2, waits, FALSE, INFINITE);
    if (woke == WAIT_OBJECT_0 + 1) return 0;
    if (woke != WAIT_OBJECT_0) {
      std::printf("Error: Failed to wait for reaperListNotEmptyFlag in reaperThread()\n");
      if (self->pause(100)) return 0;
      continue;
    }
    MutexLock lock(globals.reaperMutexHandle);
    if (!lock.locked()) {
      std::printf("Error: Failed to get mutex handle during reaperThread()\n");
      continue;
    }
    self->status("%s: reaperThread() - Reaping - Start...", {asUtf16(self->channelID)});
    for (auto it = globals.reaperList.begin(); it != globals.reaperList.end();) {
      DWORD code = 0;
      if (GetExitCodeThread(*it, &code) && code == STILL_ACTIVE) {
        ++it;
        continue;
      }
      ScopedHandle(*it).close();
      it = globals.reaperList.erase(it);
    }
    self->status("%s: reaperThread() - Reaping - Finished...", {asUtf16(self->channelID)});
    ResetEvent(globals.reaperListNotEmptyFlag);
  }
}

void IPCChannelState::addToReaperList(HANDLE thread) {
  auto& globals = channelGlobals();
  MutexLock lock(globals.reaperMutexHandle);
  if (!lock.locked()) {
    std::printf("Error: Failed to get mutex handle during addToReaperList()\n");
    return;
  }
  globals.reaperList.push_back(thread);
  SetEvent(globals.reaperListNotEmptyFlag);
}

void IPCChannelState::reapFinishedThreads(DWORD limitMs) {
  auto& globals = channelGlobals();
  MutexLock lock(globals.reaperMutexHandle);
  if (!lock.locked()) return;
  DWORD started = GetTickCount();
  for (auto it = globals.reaperList.begin(); it != globals.reaperList.end();) {
    DWORD elapsed = GetTickCount() - started;
    if (WaitForSingleObject(*it, elapsed < limitMs ? limitMs - elapsed : 0) != WAIT_OBJECT_0) {
      ++it;
      continue;
    }
    ScopedHandle(*it).close();
    it = globals.reaperList.erase(it);
  }
}

// ---- watcher and status output ----

DWORD WINAPI IPCChannelState::PipeHandleWatcherThread(void* argument) {
  auto* self = static_cast<IPCChannelState*>(argument);
  do {
    self->status("This->inboundPipe: %d\r\nThis->outboundPipe: %d",
                 {handleValue(self->inboundPipe), handleValue(self->outboundPipe)});
  } while (!self->pause(1000));
  return 0;
}

void IPCChannelState::status(const char* pattern,
                             std::initializer_list<brevan::ipclink::FormatArg> args) {
  if (!build::kStatusOutput || !outputEnabled) return;
  outputStatus(brevan::ipclink::formatText(pattern, args));
}

void IPCChannelState::outputStatus(const std::u16string& text) {
  if (!outputEnabled) return;
  std::lock_guard<brevan::ipclink::win32::SlimLock> lock(channelGlobals().outputStatusMutexHandle);
  outputFunction(outputUser, asWide(text.c_str()));
}
