// Channels inside this test process: the serving end, delivery threads, Shutdown's bound, the
// creation mutex across processes, and channels that leave nothing behind.
#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "ipclink.h"
#include "testsupport/child_process_win32.h"
#include "testsupport/text.h"
#include "testsupport/wait.h"

namespace brevan::ipclink::test {
namespace {

using namespace brevan::testsupport;
using namespace std::chrono_literals;

struct Lines {
  std::mutex mutex;
  std::vector<std::wstring> lines;
  static void collect(void* user, const wchar_t* line) {
    auto* self = static_cast<Lines*>(user);
    std::lock_guard<std::mutex> guard(self->mutex);
    self->lines.emplace_back(line);
  }
  bool has(const std::wstring& prefix) {
    std::lock_guard<std::mutex> guard(mutex);
    for (const auto& line : lines)
      if (line.rfind(prefix, 0) == 0) return true;
    return false;
  }
  size_t count(const std::wstring& prefix) {
    std::lock_guard<std::mutex> guard(mutex);
    size_t n = 0;
    for (const auto& line : lines) n += line.rfind(prefix, 0) == 0;
    return n;
  }
  std::wstring last(const std::wstring& prefix) {
    std::lock_guard<std::mutex> guard(mutex);
    for (auto it = lines.rbegin(); it != lines.rend(); ++it)
      if (it->rfind(prefix, 0) == 0) return *it;
    return L"";
  }
};

void quiet(void*, const wchar_t*) {}

struct Inbox : IPCListenerInterface {
  std::atomic<int> received{0};
  std::mutex mutex;
  std::wstring lastAction;
  void messageReceived(IPCChannel*, IPCXMLMessage* message) override {
    wchar_t* action = message->getActionWhichNeedsToBeDeleted();
    {
      std::lock_guard<std::mutex> guard(mutex);
      lastAction = action ? action : L"";
    }
    IPCXMLMessage::deleteString(action);
    IPCXMLMessage::deleteMessage(message);
    ++received;
  }
};

HANDLE openPipe(const std::wstring& name, DWORD access) {
  HANDLE pipe = INVALID_HANDLE_VALUE;
  waitUntil(10000ms, [&] {
    pipe = CreateFileW(name.c_str(), access, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    return pipe != INVALID_HANDLE_VALUE;
  });
  return pipe;
}

// A raw client of a serving end: opens both pipes and writes framed messages.
struct RawClient {
  HANDLE up = INVALID_HANDLE_VALUE;
  HANDLE down = INVALID_HANDLE_VALUE;
  explicit RawClient(const std::wstring& id) {
    up = openPipe(L"\\\\.\\pipe\\toRouter\\" + id, GENERIC_WRITE);
    down = openPipe(L"\\\\.\\pipe\\toClient\\" + id, GENERIC_READ);
  }
  ~RawClient() {
    if (up != INVALID_HANDLE_VALUE) CloseHandle(up);
    if (down != INVALID_HANDLE_VALUE) CloseHandle(down);
  }
  bool send(const std::wstring& action) {
    IPCXMLMessage message(L"raw", L"x", action.c_str());
    wchar_t* framed = message.toStringWithLengthPrefixWhichNeedsToBeDeleted();
    DWORD bytes = static_cast<DWORD>(2 * (wcslen(framed) + 1)), written = 0;
    BOOL ok = WriteFile(up, framed, bytes, &written, nullptr);
    IPCXMLMessage::deleteString(framed);
    return ok && written == bytes;
  }
};

TEST(InProcess, ServingEndMakesItsPipesAndTakesItsClientBackOnThem) {
  std::wstring id = widen(uniqueId("abc"));
  Lines lines;
  Inbox inbox;
  IPCChannel* channel =
      IPCChannel::createChannel(id.c_str(), IPC_FROM_ROUTER, &lines, Lines::collect);
  ASSERT_NE(channel, nullptr);
  channel->addIPCListener(&inbox);
  std::wstring handlesBefore;
  {
    RawClient client(id);
    ASSERT_NE(client.up, INVALID_HANDLE_VALUE);
    ASSERT_NE(client.down, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(client.send(L"one"));
    ASSERT_TRUE(waitUntil(10000ms, [&] { return inbox.received == 1; }));
    // One watcher line with both pipes set up.
    const size_t watched = lines.count(L"This->inboundPipe: ");
    ASSERT_TRUE(waitUntil(5000ms, [&] { return lines.count(L"This->inboundPipe: ") > watched; }));
    handlesBefore = lines.last(L"This->inboundPipe: ");
  }
  // The client went away: the serving end disconnects and waits on the same pipes.
  ASSERT_TRUE(
      waitUntil(10000ms, [&] { return lines.has(id + L": DisconnectClients() - Finish"); }));
  {
    RawClient again(id);
    ASSERT_TRUE(again.send(L"two"));
    ASSERT_TRUE(waitUntil(10000ms, [&] { return inbox.received == 2; }));
    const size_t watched = lines.count(L"This->inboundPipe: ");
    ASSERT_TRUE(waitUntil(5000ms, [&] { return lines.count(L"This->inboundPipe: ") > watched; }));
    EXPECT_EQ(lines.last(L"This->inboundPipe: "), handlesBefore);
  }
  EXPECT_NE(handlesBefore.find(L"\r\nThis->outboundPipe: "), std::wstring::npos);
  EXPECT_TRUE(lines.has(id + L": Initializing channel - Start  (direction:FROM ROUTER)"));
  EXPECT_TRUE(lines.has(id + L": PipeReadThread() - BROKEN PIPE (FROM ROUTER), disconnecting..."));
  EXPECT_FALSE(lines.has(id + L": negotiateFirstTimeConnectionWithRouter"));
  delete channel;
}

// Records which threads deliver; the first message it gets can be held until released.
struct ThreadRecorder : IPCListenerInterface {
  std::atomic<int> received{0};
  std::mutex mutex;
  std::vector<DWORD> threads;
  HANDLE release = nullptr;  // when set, the first delivery waits for it
  std::atomic<bool> held{false};
  void messageReceived(IPCChannel*, IPCXMLMessage* message) override {
    {
      std::lock_guard<std::mutex> guard(mutex);
      threads.push_back(GetCurrentThreadId());
    }
    if (release && !held.exchange(true)) WaitForSingleObject(release, 20000);
    IPCXMLMessage::deleteMessage(message);  // each listener owns its own copy
    ++received;
  }
  size_t distinctThreads() {
    std::lock_guard<std::mutex> guard(mutex);
    std::vector<DWORD> sorted = threads;
    std::sort(sorted.begin(), sorted.end());
    return std::unique(sorted.begin(), sorted.end()) - sorted.begin();
  }
};

TEST(InProcess, DeliveryThreadsAreReusedAndABlockedListenerHoldsUpNoOther) {
  std::wstring id = widen(uniqueId("pool"));
  ThreadRecorder blocked, free;
  blocked.release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  IPCChannel* channel = IPCChannel::createChannel(id.c_str(), IPC_FROM_ROUTER, nullptr, quiet);
  ASSERT_NE(channel, nullptr);
  channel->addIPCListener(&blocked);
  channel->addIPCListener(&free);
  {
    RawClient client(id);
    const int kMessages = 40;
    for (int i = 0; i < kMessages; ++i) {
      ASSERT_TRUE(client.send(L"m" + std::to_wstring(i)));
      // One at a time, so that an idle thread is there for the next message.
      ASSERT_TRUE(waitUntil(10000ms, [&] { return free.received == i + 1; }));
    }
    EXPECT_EQ(blocked.received, kMessages - 1) << "only the first delivery to it is held";
    // Thread starts are dear: sequential messages are carried by a few threads, not forty.
    EXPECT_LE(free.distinctThreads(), 4u);
    SetEvent(blocked.release);
    ASSERT_TRUE(waitUntil(10000ms, [&] { return blocked.received == kMessages; }));
    EXPECT_EQ(free.received, kMessages);
    std::lock_guard<std::mutex> guard(free.mutex);
    for (DWORD thread : free.threads) EXPECT_NE(thread, GetCurrentThreadId());
  }
  delete channel;
  CloseHandle(blocked.release);
}

TEST(InProcess, ShutdownWithTheRouterAwayEndsWithinItsBound) {
  std::wstring id = widen(uniqueId("lonely"));
  Lines lines;
  IPCChannel* channel =
      IPCChannel::createChannel(id.c_str(), IPC_TO_ROUTER, &lines, Lines::collect);
  ASSERT_NE(channel, nullptr);
  ASSERT_TRUE(waitUntil(5000ms, [&] { return lines.has(id + L": setupPipesThread"); }));
  DWORD started = GetTickCount();
  channel->Shutdown();
  DWORD took = GetTickCount() - started;
  EXPECT_GE(took, 4000u);
  EXPECT_LT(took, 9000u);
  EXPECT_TRUE(lines.has(L"Shutdown() - (channel " + id + L") - Finish"));
  // Nothing retries after Shutdown.
  Sleep(300);
  size_t settled = 0;
  {
    std::lock_guard<std::mutex> guard(lines.mutex);
    settled = lines.lines.size();
  }
  Sleep(600);
  size_t later = 0;
  {
    std::lock_guard<std::mutex> guard(lines.mutex);
    for (size_t i = settled; i < lines.lines.size(); ++i)
      if (lines.lines[i].rfind(L"This->", 0) != 0) ++later;
  }
  EXPECT_EQ(later, 0u);
  delete channel;
}

TEST(InProcess, CreationMutexSerialisesCreateChannelAcrossProcesses) {
  HANDLE mutex = CreateMutexW(nullptr, FALSE, L"Global\\channelBeingCreatedMutex");
  ASSERT_NE(mutex, nullptr);
  ASSERT_EQ(WaitForSingleObject(mutex, 5000), WAIT_OBJECT_0);
  std::string report = scratchPath("blocked.txt");
  ChildProcess child("ipclink_test_client.exe", {uniqueId("blocked"), report});
  Sleep(2500);
  EXPECT_TRUE(child.running());
  ReleaseMutex(mutex);
  EXPECT_EQ(child.wait(20000), 0);
  CloseHandle(mutex);
}

DWORD threadCount() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  DWORD count = 0;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++count;
  }
  CloseHandle(snapshot);
  return count;
}

// Wine answers GetProcessHandleCount with 0, so the open handles are counted by probing the
// handle values themselves.
DWORD handleCount() {
  DWORD count = 0;
  if (GetProcessHandleCount(GetCurrentProcess(), &count) && count > 0) return count;
  for (uintptr_t value = 4; value < 0x10000; value += 4) {
    DWORD flags = 0;
    if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++count;
  }
  return count;
}

DWORD WINAPI waitOnEvent(void* event) { return WaitForSingleObject(event, INFINITE); }

void useAndDestroyChannel(int i) {
  std::wstring id = widen(uniqueId("many")) + L"_" + std::to_wstring(i);
  Inbox inbox;
  IPCChannel* channel = IPCChannel::createChannel(id.c_str(), IPC_FROM_ROUTER, nullptr, quiet);
  ASSERT_NE(channel, nullptr);
  channel->addIPCListener(&inbox);
  {
    RawClient client(id);
    ASSERT_TRUE(client.send(L"hello"));
    ASSERT_TRUE(waitUntil(10000ms, [&] { return inbox.received == 1; }));
    channel->postData(L"<LENGTH>6</LENGTH>reply");
    char buffer[64];
    DWORD got = 0;
    ReadFile(client.down, buffer, sizeof buffer, &got, nullptr);
    EXPECT_EQ(got, 2u * 24);
  }
  delete channel;
}

TEST(InProcess, TwoHundredChannelsLeaveHandleAndThreadCountsWhereTheyWere) {
  useAndDestroyChannel(-1);  // process-wide objects are made once
  Sleep(200);
  DWORD handles = handleCount();
  DWORD threadsBefore = threadCount();
  {
    // The counts see one more handle and one more thread.
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE thread = CreateThread(nullptr, 0, waitOnEvent, event, 0, nullptr);
    EXPECT_EQ(handleCount(), handles + 2);
    EXPECT_EQ(threadCount(), threadsBefore + 1);
    SetEvent(event);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    CloseHandle(event);
  }
  for (int i = 0; i < 200 && !HasFatalFailure(); ++i) useAndDestroyChannel(i);
  // Threads that have been joined may take a moment to leave the snapshot.
  EXPECT_TRUE(waitUntil(3000ms, [&] { return threadCount() <= threadsBefore; }))
      << threadCount() << " threads, were " << threadsBefore;
  EXPECT_TRUE(waitUntil(3000ms, [&] { return handleCount() <= handles; }))
      << handleCount() << " handles, were " << handles;
}

}  // namespace
}  // namespace brevan::ipclink::test
