// Channel creation, initialisation, pipe set-up and the admission handshake with the router.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <memory>
#include <random>

#include "channel_build_settings.h"
#include "framing.h"
#include "win32/channel_state_win32.h"
#include "winhelpers/open_security.h"

using brevan::ipclink::win32::SlimLock;
using brevan::win32::asUtf16;
using brevan::win32::MutexLock;
using brevan::win32::OpenSecurity;
using brevan::win32::ScopedHandle;
namespace build = brevan::ipclink::build;

namespace {

const wchar_t kServiceId[] = L"BrevanService";
const wchar_t kCreationMutexName[] = L"Global\\channelBeingCreatedMutex";

// Set-up block of one pipe set-up thread; the thread owns and frees it.
struct SetupBlock {
  IPCChannelState* channel;
  std::wstring pipeName;
  bool service;  // one of the router's two admission pipes
  unsigned generation;
};

HANDLE createMutexShared() {
  OpenSecurity security(false);
  SetLastError(0);
  HANDLE mutex = CreateMutexW(security.get(), FALSE, kCreationMutexName);
  if (mutex && GetLastError() == ERROR_ALREADY_EXISTS) {
    ScopedHandle(mutex).close();
    mutex = OpenMutexW(MUTEX_ALL_ACCESS, FALSE, kCreationMutexName);
  }
  return mutex;
}

DWORD randomPauseMs() {
  static std::mt19937 rng(GetCurrentProcessId() * 7919u + GetTickCount());
  static SlimLock rngMutex;
  std::lock_guard<SlimLock> guard(rngMutex);
  return 20 + rng() % 230;
}

}  // namespace

// ---- IPCChannel (exported) ----

IPCChannel::IPCChannel() : channelState(nullptr) {}

IPCChannel* IPCChannel::createChannel(const wchar_t* channelID, int direction, void* outputUser,
                                      void (*outputFunction)(void*, const wchar_t*)) {
  if (!channelID) return nullptr;
  MutexLock lock(brevan::ipclink::win32::channelCreationMutex());
  if (!lock.locked()) return nullptr;
  return IPCChannelState::newChannel(channelID, direction, outputUser, outputFunction, {});
}

IPCChannel* IPCChannelState::newChannel(const wchar_t* id, int direction, void* outputUser,
                                        brevan::ipclink::win32::OutputFunction outputFunction,
                                        const brevan::ipclink::win32::ChannelHost& host) {
  try {
    brevan::ipclink::win32::createChannelGlobals();
    std::unique_ptr<IPCChannel> channel(new IPCChannel());
    channel->channelState =
        new IPCChannelState(channel.get(), id, direction, outputUser, outputFunction, host);
    channel->channelState->init();
    return channel.release();
  } catch (...) {
    return nullptr;
  }
}

HANDLE brevan::ipclink::win32::channelCreationMutex() {
  createChannelGlobals();
  auto& globals = channelGlobals();
  static std::once_flag once;
  std::call_once(once, [&] { globals.channelBeingCreatedMutexHandle = createMutexShared(); });
  return globals.channelBeingCreatedMutexHandle;
}

wchar_t* IPCChannel::getChannelID() { return channelState->channelID; }

// ---- construction and init ----

IPCChannelState::IPCChannelState(IPCChannel* owner_, const wchar_t* id, int direction_,
                                 void* outputUser_,
                                 brevan::ipclink::win32::OutputFunction outputFunction_,
                                 const brevan::ipclink::win32::ChannelHost& host_)
    : owner(owner_),
      direction(direction_),
      host(host_),
      outputEnabled(build::kStatusOutput && outputFunction_ != nullptr),
      outputUser(outputUser_),
      outputFunction(outputFunction_) {
  std::swprintf(channelID, 1024, L"%ls", id);
  std::swprintf(toRouterPipeName, 1024, L"\\\\.\\pipe\\toRouter\\%ls", channelID);
  std::swprintf(toClientPipeName, 1024, L"\\\\.\\pipe\\toClient\\%ls", channelID);
  stopEvent.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  writeEvent.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
}

void IPCChannelState::init() {
  status("%s: Initializing channel - Start  (direction:%s)",
         {asUtf16(channelID), direction == IPC_TO_ROUTER ? u"TO ROUTER" : u"FROM ROUTER"});
  // A serving end needs no admission.
  routerHasBeenNegotiatedWith = direction == IPC_FROM_ROUTER;
  threads.start(reaperThread, this);
  setupPipesThreadHandle = threads.start(setupPipesThread, this);
  dataQueueThreadHandle = threads.start(startDataQueueProcessingThread, this);
  watcherThreadHandle = threads.start(PipeHandleWatcherThread, this);
  status("%s: Initializing channel - Finished", {asUtf16(channelID)});
}

bool IPCChannelState::stopRetrying() const {
  if (stopping()) return true;
  return build::kSetupStopsAtShutdownRequest ? shutdownRequested.load() : shutdownFinished.load();
}

bool IPCChannelState::pause(DWORD ms) const {
  return WaitForSingleObject(stopEvent.get(), ms) == WAIT_OBJECT_0;
}

// ---- set-up threads ----

void IPCChannelState::startPipeSetup() {
  if (stopRetrying()) return;
  HANDLE thread = threads.start(setupPipesThread, this);
  if (thread) setupPipesThreadHandle = thread;
}

DWORD WINAPI IPCChannelState::setupPipesThread(void* argument) {
  auto* self = static_cast<IPCChannelState*>(argument);
  if (!self->routerHasBeenNegotiatedWith) {
    self->status("%s: setupPipesThread (!routerHasBeenNegotiatedWith)", {asUtf16(self->channelID)});
    self->negotiateFirstTimeConnectionWithRouter();
    return 0;
  }
  self->status("%s: setupPipesThread (routerHasBeenNegotiatedWith)", {asUtf16(self->channelID)});
  bool client = self->direction == IPC_TO_ROUTER;
  self->startSetupWorkers(client ? self->toClientPipeName : self->toRouterPipeName,
                          client ? self->toRouterPipeName : self->toClientPipeName, false);
  return 0;
}

void IPCChannelState::startSetupWorkers(const wchar_t* readName, const wchar_t* writeName,
                                        bool service) {
  unsigned generation = setupGeneration;
  const std::pair<LPTHREAD_START_ROUTINE, const wchar_t*> workers[] = {{setupReadPipe, readName},
                                                                       {setupWritePipe, writeName}};
  for (const auto& [body, name] : workers) {
    auto* block = new SetupBlock{this, name, service, generation};
    ++activeSetupWorkers;
    if (!threads.start(body, block)) {
      --activeSetupWorkers;
      delete block;
    }
  }
  HANDLE reader = threads.start(PipeReadThread, this);
  if (reader) pipeReadThreadHandle = reader;
}

namespace {

HANDLE openClientEnd(const SetupBlock& block, bool inbound) {
  return CreateFileW(block.pipeName.c_str(), inbound ? GENERIC_READ : GENERIC_WRITE, 0, nullptr,
                     OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
}

HANDLE createServingEnd(const SetupBlock& block, bool inbound) {
  OpenSecurity security(true);
  return CreateNamedPipeW(
      block.pipeName.c_str(),
      (inbound ? PIPE_ACCESS_INBOUND : PIPE_ACCESS_OUTBOUND) | FILE_FLAG_OVERLAPPED,
      PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT, 1, 4096, 4096, 50, security.get());
}

bool leftBehind(const SetupBlock& block) {
  return block.channel->stopRetrying() || block.generation != block.channel->setupGeneration;
}

// Waits for the client of a serving end; connect attempts are 100 ms apart, and each wait
// looks at the generation so an abandoned set-up leaves.
bool connectServingEnd(const SetupBlock& block, HANDLE pipe) {
  IPCChannelState* self = block.channel;
  ScopedHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  while (!leftBehind(block)) {
    OVERLAPPED overlapped{};
    overlapped.hEvent = event.get();
    ResetEvent(event.get());
    SetLastError(0);
    if (ConnectNamedPipe(pipe, &overlapped)) return true;
    DWORD error = GetLastError();
    if (error == ERROR_PIPE_CONNECTED) return true;
    if (error == ERROR_IO_PENDING) {
      DWORD transferred = 0;
      while (WaitForSingleObject(event.get(), 100) == WAIT_TIMEOUT) {
        if (leftBehind(block)) break;
      }
      if (WaitForSingleObject(event.get(), 0) != WAIT_OBJECT_0) {
        CancelIo(pipe);
        WaitForSingleObject(event.get(), INFINITE);
        return false;
      }
      if (GetOverlappedResult(pipe, &overlapped, &transferred, FALSE)) return true;
    } else if (error == ERROR_NO_DATA) {
      DisconnectNamedPipe(pipe);  // the client came and went before we looked
    }
    if (self->pause(100)) return false;
  }
  return false;
}

}  // namespace

void IPCChannelState::publishOwnPipe(bool inbound, HANDLE pipe) {
  if (inbound) {
    inboundPipe = pipe;
    inboundConnectionStatus = 1;
    readPipeReady = true;
  } else {
    outboundPipe = pipe;
    outboundConnectionStatus = 1;
    writePipeReady = true;
  }
}

namespace {

// The two service pipes have one instance each: a client holding one of them cannot keep it
// for long while another client holds the other, or both would wait for ever. Whoever
// completes the pair publishes both; a half pair is let go after a short bound.
bool holdServicePipe(const SetupBlock& block, bool inbound, HANDLE pipe) {
  IPCChannelState* self = block.channel;
  {
    std::lock_guard<SlimLock> guard(self->servicePairMutex);
    (inbound ? self->serviceRead : self->serviceWrite) = pipe;
    if (self->serviceRead && self->serviceWrite) {
      self->servicePairPublished = true;
      self->inboundPipe = self->serviceRead;
      self->outboundPipe = self->serviceWrite;
      self->inboundConnectionStatus = 1;
      self->outboundConnectionStatus = 1;
      return true;
    }
  }
  DWORD started = GetTickCount();
  while (GetTickCount() - started < brevan::ipclink::win32::kServicePairHoldLimitMs &&
         !leftBehind(block)) {
    {
      std::lock_guard<SlimLock> guard(self->servicePairMutex);
      if (self->servicePairPublished) return true;
    }
    if (self->pause(10)) break;
  }
  std::lock_guard<SlimLock> guard(self->servicePairMutex);
  if (self->servicePairPublished) return true;
  (inbound ? self->serviceRead : self->serviceWrite) = nullptr;
  ScopedHandle(pipe).close();
  return false;
}

DWORD setupPipe(SetupBlock* rawBlock, bool inbound) {
  std::unique_ptr<SetupBlock> block(rawBlock);
  IPCChannelState* self = block->channel;
  const char16_t* name = asUtf16(block->pipeName.c_str());
  self->status(inbound ? "%s: setupReadPipe (%s) - Start" : "%s: setupWritePipe (%s) - Start",
               {asUtf16(self->channelID), name});
  bool done = false;
  HANDLE created = nullptr;
  while (!done && !leftBehind(*block)) {
    if (self->direction != IPC_FROM_ROUTER) {
      HANDLE pipe = openClientEnd(*block, inbound);
      if (ScopedHandle::valid(pipe)) {
        if (!block->service) {
          self->publishOwnPipe(inbound, pipe);
          done = true;
        } else if (holdServicePipe(*block, inbound, pipe)) {
          done = true;
        } else if (self->pause(randomPauseMs())) {
          break;
        }
        continue;
      }
    } else {
      std::atomic<HANDLE>& slot = inbound ? self->inboundPipe : self->outboundPipe;
      created = slot;
      if (!ScopedHandle::valid(created)) {
        created = createServingEnd(*block, inbound);
        if (ScopedHandle::valid(created)) slot = created;
      }
      if (ScopedHandle::valid(created) && connectServingEnd(*block, created)) {
        self->publishOwnPipe(inbound, created);
        done = true;
        continue;
      }
    }
    if (self->pause(50)) break;
  }
  if (done) {
    self->status(
        inbound ? "%s: setupReadPipe (%s) - Finished" : "%s: setupWritePipe (%s) - Finished",
        {asUtf16(self->channelID), name});
  }
  --self->activeSetupWorkers;
  return 0;
}

}  // namespace

DWORD WINAPI IPCChannelState::setupReadPipe(void* block) {
  return setupPipe(static_cast<SetupBlock*>(block), true);
}

DWORD WINAPI IPCChannelState::setupWritePipe(void* block) {
  return setupPipe(static_cast<SetupBlock*>(block), false);
}

void IPCChannelState::negotiateFirstTimeConnectionWithRouter() {
  status("%s: negotiateFirstTimeConnectionWithRouter - Start", {asUtf16(channelID)});
  wchar_t requestPipe[1024];
  wchar_t replyPipe[1024];
  std::swprintf(requestPipe, 1024, L"\\\\.\\pipe\\toRouter\\%ls", kServiceId);
  std::swprintf(replyPipe, 1024, L"\\\\.\\pipe\\toClient\\%ls", kServiceId);
  {
    std::lock_guard<SlimLock> guard(servicePairMutex);
    serviceRead = serviceWrite = nullptr;
    servicePairPublished = false;
  }
  startSetupWorkers(replyPipe, requestPipe, true);

  IPCXMLMessage request(channelID, kServiceId, L"MayIConnectWithTheRouterPlease");
  wchar_t* framed = request.toStringWithLengthPrefixWhichNeedsToBeDeleted();
  if (framed) postData(asUtf16(framed));
  IPCXMLMessage::deleteString(framed);
}
