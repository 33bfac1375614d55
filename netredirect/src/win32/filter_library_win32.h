// The packet-filter library "ndisapi.dll", loaded at run time and bound by name, and its driver
// "NDISRD" opened through it.
//
// What is assumed of the library (only the operations and a few fields are known): every
// operation is a C function exported under its own name, __stdcall on x86, taking the handle of
// the opened driver first:
//   HANDLE OpenFilterDriver(const char* driverName);            null when it cannot be opened
//   void   CloseFilterDriver(HANDLE driver);
//   BOOL   IsDriverLoaded(HANDLE driver);
//   BOOL   GetTcpipBoundAdaptersInfo(HANDLE driver, TcpAdapterList* adapters);
//   BOOL   SetPacketEvent(HANDLE driver, HANDLE adapter, HANDLE event);
//   BOOL   SetAdapterMode(HANDLE driver, AdapterMode* mode);
//   BOOL   FlushAdapterPacketQueue(HANDLE driver, HANDLE adapter);
//   BOOL   ReadPacket(HANDLE driver, EthRequest* request);
//   BOOL   SendPacketToAdapter(HANDLE driver, EthRequest* request);
//   BOOL   SendPacketToMstcp(HANDLE driver, EthRequest* request);
// The structures below hold the fields that are known, in natural alignment; the library may
// write further fields after them, so every buffer handed to it is much larger than these
// declarations and zeroed.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

namespace brevan::netredirect::win32 {

// The adapter count, 32 names of 256 bytes, 32 adapter handles, then arrays not used here.
struct TcpAdapterList {
  ULONG count;
  unsigned char names[32][256];
  HANDLE handles[32];
};

struct AdapterMode {
  HANDLE adapter;
  ULONG mode;
};

// The frame buffer: a list link, the direction flags, the length, the library's flags, the frame.
struct IntermediateBuffer {
  void* link[2];
  ULONG direction;
  ULONG length;
  ULONG flags;
  unsigned char frame[1514];
};

struct EthRequest {
  HANDLE adapter;
  IntermediateBuffer* buffer;
};

static_assert(offsetof(IntermediateBuffer, direction) == 2 * sizeof(void*), "link is two pointers");
static_assert(offsetof(TcpAdapterList, names) == 4, "names follow the count");

// What is handed to the library in place of each structure.
constexpr size_t kAdapterListBytes = 64 * 1024;
constexpr size_t kFrameBufferBytes = 8 * 1024;

class FilterLibrary {
 public:
  // Loads the library, binds every function and opens the driver, once; false when any of it
  // is missing. Safe to call from several threads.
  bool ready();

  using OpenDriver = HANDLE(WINAPI*)(const char*);
  using CloseDriver = void(WINAPI*)(HANDLE);
  using DriverQuery = BOOL(WINAPI*)(HANDLE);
  using AdapterQuery = BOOL(WINAPI*)(HANDLE, TcpAdapterList*);
  using EventCall = BOOL(WINAPI*)(HANDLE, HANDLE, HANDLE);
  using ModeCall = BOOL(WINAPI*)(HANDLE, AdapterMode*);
  using AdapterCall = BOOL(WINAPI*)(HANDLE, HANDLE);
  using FrameCall = BOOL(WINAPI*)(HANDLE, EthRequest*);

  HANDLE driver = nullptr;
  CloseDriver closeDriver = nullptr;
  DriverQuery isDriverLoaded = nullptr;
  AdapterQuery getTcpipBoundAdaptersInfo = nullptr;
  EventCall setPacketEvent = nullptr;
  ModeCall setAdapterMode = nullptr;
  AdapterCall flushAdapterPacketQueue = nullptr;
  FrameCall readPacket = nullptr;
  FrameCall sendPacketToAdapter = nullptr;
  FrameCall sendPacketToMstcp = nullptr;

 private:
  bool load();
  static void closeAtExit();
};

// The process's one instance, made on first use.
FilterLibrary& filterLibrary();

}  // namespace brevan::netredirect::win32
