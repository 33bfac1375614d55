// Thread bookkeeping, process-wide channel objects and the overlapped pipe operations that let
// every blocking channel wait end when the channel is destroyed.
#include <windows.h>

#include "win32/channel_state_win32.h"

namespace brevan::ipclink::win32 {

using brevan::win32::ScopedHandle;

HANDLE ThreadGroup::start(LPTHREAD_START_ROUTINE body, void* argument) {
  std::lock_guard<SlimLock> guard(mutex_);
  if (stopping_) return nullptr;
  closeFinishedLocked();
  HANDLE thread = CreateThread(nullptr, 0, body, argument, 0, nullptr);
  if (thread) handles_.emplace_back(thread);
  return thread;
}

void ThreadGroup::closeFinishedLocked() {
  std::vector<ScopedHandle> running;
  for (ScopedHandle& thread : handles_) {
    if (WaitForSingleObject(thread.get(), 0) == WAIT_OBJECT_0) {
      thread.close();
    } else {
      running.push_back(std::move(thread));
    }
  }
  handles_.swap(running);
}

bool ThreadGroup::joinAll(DWORD limitMs) {
  DWORD started = GetTickCount();
  for (;;) {
    HANDLE oldest = nullptr;
    {
      std::lock_guard<SlimLock> guard(mutex_);
      closeFinishedLocked();
      if (handles_.empty()) return true;
      oldest = handles_.front().get();
    }
    DWORD elapsed = GetTickCount() - started;
    if (elapsed >= limitMs) return false;
    // Ended threads can start others until stop() is seen, so look again after each wait.
    WaitForSingleObject(oldest, limitMs - elapsed);
  }
}

ThreadGroup::~ThreadGroup() = default;

ChannelGlobals& channelGlobals() {
  static ChannelGlobals globals;
  return globals;
}

void createChannelGlobals() {
  static std::once_flag once;
  std::call_once(once, [] {
    ChannelGlobals& g = channelGlobals();
    g.reaperMutexHandle = CreateMutexW(nullptr, FALSE, nullptr);
    g.reaperListNotEmptyFlag = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  });
}

namespace {

// One overlapped operation: wait for it or for stopEvent; a stopped operation is cancelled and
// waited for, so the OVERLAPPED never outlives this frame.
bool finishOverlapped(HANDLE pipe, OVERLAPPED* overlapped, BOOL issued, DWORD* transferred,
                      HANDLE stopEvent) {
  if (!issued && GetLastError() != ERROR_IO_PENDING) return false;
  if (!issued) {
    HANDLE waits[2] = {overlapped->hEvent, stopEvent};
    if (WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0) {
      CancelIo(pipe);
      WaitForSingleObject(overlapped->hEvent, INFINITE);
      GetOverlappedResult(pipe, overlapped, transferred, FALSE);
      SetLastError(ERROR_OPERATION_ABORTED);
      return false;
    }
  }
  return GetOverlappedResult(pipe, overlapped, transferred, FALSE) != FALSE;
}

// An OVERLAPPED on the caller's event: a thread that does one pipe operation after another
// keeps one event for all of them (the system resets it as each operation starts).
OVERLAPPED overlappedOn(HANDLE ioEvent) {
  OVERLAPPED overlapped;
  ZeroMemory(&overlapped, sizeof overlapped);
  overlapped.hEvent = ioEvent;
  return overlapped;
}

}  // namespace

bool pipeRead(HANDLE pipe, void* buffer, DWORD size, DWORD* got, DWORD* error, HANDLE ioEvent,
              HANDLE stopEvent) {
  OVERLAPPED io = overlappedOn(ioEvent);
  *got = 0;
  SetLastError(0);
  BOOL issued = ReadFile(pipe, buffer, size, nullptr, &io);
  bool ok = finishOverlapped(pipe, &io, issued, got, stopEvent);
  *error = ok ? 0 : GetLastError();
  return ok;
}

bool pipeWrite(HANDLE pipe, const void* data, DWORD size, DWORD* written, HANDLE ioEvent,
               HANDLE stopEvent) {
  OVERLAPPED io = overlappedOn(ioEvent);
  *written = 0;
  BOOL issued = WriteFile(pipe, data, size, nullptr, &io);
  return finishOverlapped(pipe, &io, issued, written, stopEvent);
}

}  // namespace brevan::ipclink::win32
