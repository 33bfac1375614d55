// The inside of an IPCChannel: its pipes, queue, reassembly state and the threads that move
// messages. Every thread a channel starts is tracked, so the destructor can stop all of them
// (each blocking wait also watches stopEvent) before the state is freed.
#pragma once

#include <windows.h>

#include <atomic>
#include <deque>
#include <memory>
#include <mutex>  // std::lock_guard
#include <string>
#include <vector>

#include "frame_assembler.h"
#include "ipclink.h"
#include "text_format.h"
#include "win32/delivery_pool_win32.h"
#include "win32/host_channel_win32.h"
#include "win32/slim_lock_win32.h"
#include "winhelpers/handles.h"
#include "winhelpers/mutex_lock.h"
#include "winhelpers/wide_text.h"

namespace brevan::ipclink::win32 {

using OutputFunction = void (*)(void*, const wchar_t*);

// How long the channel waits for things that may never happen.
inline constexpr DWORD kGoodbyeWaitLimitMs = 5000;     // Shutdown: the goodbye gets out or not
inline constexpr DWORD kThreadStopLimitMs = 5000;      // destructor: threads end after stopEvent
inline constexpr DWORD kServicePairHoldLimitMs = 300;  // admission: holding one service pipe alone
inline constexpr DWORD kSetupHandOverLimitMs = 2000;   // repair: old set-up workers leave

// Threads started by one channel; owns their handles.
class ThreadGroup {
 public:
  // Starts body(argument); false (and nothing started) once stopping() is set or on failure.
  HANDLE start(LPTHREAD_START_ROUTINE body, void* argument);
  void stop() { stopping_ = true; }
  bool stopping() const { return stopping_; }
  // Waits until every started thread has ended; false when the limit passed first.
  bool joinAll(DWORD limitMs);
  ~ThreadGroup();

 private:
  void closeFinishedLocked();
  SlimLock mutex_;
  std::vector<brevan::win32::ScopedHandle> handles_;  // guarded by mutex_
  std::atomic<bool> stopping_{false};
};

}  // namespace brevan::ipclink::win32

struct DeliveryBlock;

class IPCChannelState {
 public:
  using ScopedHandle = brevan::win32::ScopedHandle;

  IPCChannelState(IPCChannel* owner, const wchar_t* id, int direction, void* outputUser,
                  brevan::ipclink::win32::OutputFunction outputFunction,
                  const brevan::ipclink::win32::ChannelHost& host);
  ~IPCChannelState();

  // A new channel around a new state, started; null when either cannot be made.
  static IPCChannel* newChannel(const wchar_t* id, int direction, void* outputUser,
                                brevan::ipclink::win32::OutputFunction outputFunction,
                                const brevan::ipclink::win32::ChannelHost& host);
  static IPCChannelState* of(IPCChannel* channel) { return channel->channelState; }

  // Creation and set-up.
  void init();
  static DWORD WINAPI setupPipesThread(void* state);
  static DWORD WINAPI setupReadPipe(void* setupBlock);
  static DWORD WINAPI setupWritePipe(void* setupBlock);
  void negotiateFirstTimeConnectionWithRouter();

  // Data flow.
  void postData(const char16_t* text);
  static DWORD WINAPI startDataQueueProcessingThread(void* state);
  int PipeWrite(const std::u16string& text);
  static DWORD WINAPI PipeReadThread(void* state);
  int BuildMessage(int count, const uint8_t* bytes);
  static DWORD WINAPI processMessageFromServer(void* serverBlock);
  void deliver(DeliveryBlock* block);

  // Recovery and teardown.
  void DisconnectClients();
  void RebuildChannel();
  static DWORD WINAPI DisconnectOutboundPipe(void* taskBlock);
  static DWORD WINAPI DisconnectInboundPipe(void* taskBlock);
  static DWORD WINAPI CloseOutboundPipe(void* taskBlock);
  static DWORD WINAPI CloseInboundPipe(void* taskBlock);
  void tellRouterToLetGo();
  void Shutdown();
  bool stopAllThreads();  // destructor: true when every thread has ended
  static DWORD WINAPI reaperThread(void* state);
  static void addToReaperList(HANDLE thread);
  static void reapFinishedThreads(DWORD limitMs);
  static DWORD WINAPI PipeHandleWatcherThread(void* state);

  void status(const char* pattern, std::initializer_list<brevan::ipclink::FormatArg> args);
  void outputStatus(const std::u16string& text);

  IPCChannel* const owner;
  wchar_t channelID[1024];
  wchar_t toRouterPipeName[1024];
  wchar_t toClientPipeName[1024];
  const int direction;
  const brevan::ipclink::win32::ChannelHost host;  // the Java host's build only

  // Pipes: written by the set-up and repair threads, polled by the others.
  std::atomic<HANDLE> inboundPipe{nullptr};
  std::atomic<HANDLE> outboundPipe{nullptr};
  std::atomic<int> inboundConnectionStatus{0};
  std::atomic<int> outboundConnectionStatus{0};
  std::atomic<int> routerHasBeenNegotiatedWith{0};
  std::atomic<bool> readPipeReady{false};   // own inbound pipe up once
  std::atomic<bool> writePipeReady{false};  // own outbound pipe up once

  // Shutdown: requested at the start of Shutdown, finished once the goodbye is out (or the
  // wait for it gave up); after that nothing repairs or retries.
  std::atomic<bool> shutdownRequested{false};
  std::atomic<bool> shutdownFinished{false};
  bool stopRetrying() const;
  bool stopping() const { return threads.stopping(); }
  // Waits on stopEvent for up to ms; true when the channel is being destroyed.
  bool pause(DWORD ms) const;

  // Status output.
  bool outputEnabled;
  void* outputUser;
  brevan::ipclink::win32::OutputFunction outputFunction;

  // Outbound queue of framed texts, oldest first.
  brevan::ipclink::win32::SlimLock outboundQueueLock;
  CONDITION_VARIABLE outboundQueueNotEmpty = CONDITION_VARIABLE_INIT;  // with outboundQueueLock
  std::deque<std::u16string> outboundQueue;  // guarded by outboundQueueLock
  std::atomic<size_t> queuedCount{0};
  std::atomic<bool> queueThreadEnded{false};
  ScopedHandle writeEvent;  // the data-queue thread's, for its pipe writes

  // Reassembly of inbound frames.
  brevan::ipclink::win32::SlimLock buildMessageLock;
  brevan::ipclink::FrameAssembler assembler;  // guarded by buildMessageLock
  std::u16string completedMessage;            // guarded by buildMessageLock

  std::vector<IPCListenerInterface*> listeners;  // added before traffic starts

  // Pipe set-up generations: a repair starts a new one, and set-up workers and read threads of
  // an older one leave, so two readers never share a pipe.
  std::atomic<unsigned> setupGeneration{0};
  std::atomic<int> activeSetupWorkers{0};

  // Admission: the two service pipes are published together or let go together.
  brevan::ipclink::win32::SlimLock servicePairMutex;
  HANDLE serviceRead = nullptr;       // guarded by servicePairMutex
  HANDLE serviceWrite = nullptr;      // guarded by servicePairMutex
  bool servicePairPublished = false;  // guarded by servicePairMutex

  // Threads (non-owning copies of handles the group owns; kept for the record).
  HANDLE setupPipesThreadHandle = nullptr;
  HANDLE dataQueueThreadHandle = nullptr;
  HANDLE pipeReadThreadHandle = nullptr;
  HANDLE watcherThreadHandle = nullptr;
  ScopedHandle stopEvent;  // manual reset, set by the destructor
  brevan::ipclink::win32::ThreadGroup threads;
  brevan::ipclink::win32::DeliveryPool deliveries{&IPCChannelState::addToReaperList};

  // Helpers shared by the files of the channel.
  void beginRepair();
  void startPipeSetup();
  void startSetupWorkers(const wchar_t* readName, const wchar_t* writeName, bool service);
  void publishOwnPipe(bool inbound, HANDLE pipe);
  // parsed, when given, is text already made into a message; it goes to the first listener.
  void deliverToListeners(const std::u16string& text, std::unique_ptr<IPCXMLMessage> parsed);
  void dispatchCompletedMessage(bool* endReader);
  bool readError(DWORD error);  // true when the read thread ends
  void runPipeTasks(LPTHREAD_START_ROUTINE outbound, LPTHREAD_START_ROUTINE inbound);
  struct RepairLines {
    const char* start;
    const char* waiting;
    const char* done;
    const char* again;
    const char* finish;
  };
  void repair(const RepairLines& lines, LPTHREAD_START_ROUTINE outbound,
              LPTHREAD_START_ROUTINE inbound);
};

namespace brevan::ipclink::win32 {

// Process-wide objects shared by every channel.
struct ChannelGlobals {
  HANDLE channelBeingCreatedMutexHandle = nullptr;  // see channelCreationMutex()
  // Status lines of every channel one at a time. A process-local lock: it is taken for
  // every line, and a kernel mutex costs a server round trip per line under Wine.
  SlimLock outputStatusMutexHandle;
  HANDLE reaperMutexHandle = nullptr;
  HANDLE reaperListNotEmptyFlag = nullptr;
  std::vector<HANDLE> reaperList;  // guarded by reaperMutexHandle
};
ChannelGlobals& channelGlobals();
void createChannelGlobals();

// Blocking pipe operations that give up when stopEvent is set. The error is GetLastError's.
// ioEvent is a manual-reset event of the calling thread's own, used for one operation at a time.
bool pipeRead(HANDLE pipe, void* buffer, DWORD size, DWORD* got, DWORD* error, HANDLE ioEvent,
              HANDLE stopEvent);
bool pipeWrite(HANDLE pipe, const void* data, DWORD size, DWORD* written, HANDLE ioEvent,
               HANDLE stopEvent);

}  // namespace brevan::ipclink::win32
