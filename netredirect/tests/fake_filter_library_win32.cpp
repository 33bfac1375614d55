// A test "ndisapi.dll" with the operations NetRedirect.dll binds, over two in-process adapters,
// so that the real backend's loading, binding and frame path run under Wine unchanged. Plain
// "fake..." exports let the test feed frames and take what was sent on.
#include <windows.h>

#include <cstring>
#include <deque>
#include <mutex>
#include <vector>

#include "win32/filter_library_win32.h"

namespace fl = brevan::netredirect::win32;

namespace {

const HANDLE kDriver = reinterpret_cast<HANDLE>(uintptr_t(0xD1));
constexpr int kAdapters = 2;
const char* const kNames[kAdapters] = {"\\DEVICE\\{FAKE-ADAPTER-1}", "\\DEVICE\\{FAKE-ADAPTER-2}"};

struct Sent {
  unsigned destination;
  std::vector<unsigned char> frame;
};

struct Adapter {
  ULONG mode = 0;
  HANDLE event = nullptr;
  std::deque<std::pair<ULONG, std::vector<unsigned char>>> queue;
  std::deque<Sent> sent;
};

std::mutex mutex;  // guards adapters
Adapter adapters[kAdapters];

Adapter* find(HANDLE handle) {
  const uintptr_t index = reinterpret_cast<uintptr_t>(handle) - 0x1000;
  return index < kAdapters ? &adapters[index] : nullptr;
}

HANDLE handleOf(int index) { return reinterpret_cast<HANDLE>(uintptr_t(0x1000 + index)); }

BOOL record(HANDLE driver, fl::EthRequest* request, unsigned destination) {
  std::lock_guard<std::mutex> lock(mutex);
  Adapter* adapter = find(request->adapter);
  if (driver != kDriver || !adapter) return FALSE;
  const fl::IntermediateBuffer& buffer = *request->buffer;
  adapter->sent.push_back({destination, std::vector<unsigned char>(buffer.frame, buffer.frame + buffer.length)});
  return TRUE;
}

}  // namespace

extern "C" {

__declspec(dllexport) HANDLE WINAPI OpenFilterDriver(const char* name) {
  return std::strcmp(name, "NDISRD") == 0 ? kDriver : nullptr;
}

__declspec(dllexport) void WINAPI CloseFilterDriver(HANDLE) {}

__declspec(dllexport) BOOL WINAPI IsDriverLoaded(HANDLE driver) { return driver == kDriver; }

__declspec(dllexport) BOOL WINAPI GetTcpipBoundAdaptersInfo(HANDLE driver, fl::TcpAdapterList* list) {
  if (driver != kDriver) return FALSE;
  list->count = kAdapters;
  for (int i = 0; i < kAdapters; ++i) {
    std::strcpy(reinterpret_cast<char*>(list->names[i]), kNames[i]);
    list->handles[i] = handleOf(i);
  }
  return TRUE;
}

__declspec(dllexport) BOOL WINAPI SetPacketEvent(HANDLE driver, HANDLE handle, HANDLE event) {
  std::lock_guard<std::mutex> lock(mutex);
  Adapter* adapter = find(handle);
  if (driver != kDriver || !adapter) return FALSE;
  adapter->event = event;
  return TRUE;
}

__declspec(dllexport) BOOL WINAPI SetAdapterMode(HANDLE driver, fl::AdapterMode* mode) {
  std::lock_guard<std::mutex> lock(mutex);
  Adapter* adapter = find(mode->adapter);
  if (driver != kDriver || !adapter) return FALSE;
  adapter->mode = mode->mode;
  return TRUE;
}

__declspec(dllexport) BOOL WINAPI FlushAdapterPacketQueue(HANDLE driver, HANDLE handle) {
  std::lock_guard<std::mutex> lock(mutex);
  Adapter* adapter = find(handle);
  if (driver != kDriver || !adapter) return FALSE;
  adapter->queue.clear();
  return TRUE;
}

__declspec(dllexport) BOOL WINAPI ReadPacket(HANDLE driver, fl::EthRequest* request) {
  std::lock_guard<std::mutex> lock(mutex);
  Adapter* adapter = find(request->adapter);
  if (driver != kDriver || !adapter || adapter->queue.empty()) return FALSE;
  fl::IntermediateBuffer& buffer = *request->buffer;
  buffer.direction = adapter->queue.front().first;
  const std::vector<unsigned char>& frame = adapter->queue.front().second;
  buffer.length = ULONG(frame.size());
  std::memcpy(buffer.frame, frame.data(), frame.size());
  adapter->queue.pop_front();
  return TRUE;
}

__declspec(dllexport) BOOL WINAPI SendPacketToAdapter(HANDLE driver, fl::EthRequest* request) {
  return record(driver, request, 1);
}

__declspec(dllexport) BOOL WINAPI SendPacketToMstcp(HANDLE driver, fl::EthRequest* request) {
  return record(driver, request, 2);
}

// A frame arriving at adapter `index`: queued and signalled in tunnel mode, else straight on.
__declspec(dllexport) void fakeArrive(int index, unsigned flags, const unsigned char* frame, unsigned length) {
  std::lock_guard<std::mutex> lock(mutex);
  Adapter& adapter = adapters[index];
  std::vector<unsigned char> bytes(frame, frame + length);
  if (adapter.mode != 3) {
    adapter.sent.push_back({flags, bytes});
    return;
  }
  adapter.queue.emplace_back(flags, bytes);
  if (adapter.event) SetEvent(adapter.event);
}

// The oldest frame sent on by adapter `index`: its length, or -1 when there is none.
__declspec(dllexport) int fakeTakeSent(int index, unsigned* destination, unsigned char* frame, unsigned capacity) {
  std::lock_guard<std::mutex> lock(mutex);
  Adapter& adapter = adapters[index];
  if (adapter.sent.empty() || adapter.sent.front().frame.size() > capacity) return -1;
  *destination = adapter.sent.front().destination;
  const std::vector<unsigned char> bytes = adapter.sent.front().frame;
  std::memcpy(frame, bytes.data(), bytes.size());
  adapter.sent.pop_front();
  return int(bytes.size());
}

// The adapter's mode and whether an event is registered (bit 8).
__declspec(dllexport) int fakeState(int index) {
  std::lock_guard<std::mutex> lock(mutex);
  return int(adapters[index].mode) | (adapters[index].event ? 0x100 : 0);
}

}  // extern "C"
