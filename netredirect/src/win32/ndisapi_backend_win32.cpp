// The filter backend of NetRedirect.dll: the filter library loaded at run time. Without the
// library (or any of its functions, or the driver) the driver counts as not loaded and the
// adapter list as unavailable.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <atomic>

#include "process_backend.h"
#include "win32/filter_library_win32.h"
#include "winhelpers/handles.h"

namespace brevan::netredirect {
namespace {

using win32::FilterLibrary;

class NdisPort : public AdapterPort {
 public:
  ~NdisPort() override { detach(); }
  NdisPort(FilterLibrary& library, HANDLE adapter)
      : library_(library),
        adapter_(adapter),
        storage_(new uint8_t[win32::kFrameBufferBytes]()) {
    request_.adapter = adapter_;
    request_.buffer = reinterpret_cast<win32::IntermediateBuffer*>(storage_.get());
  }

  bool attach() override {
    brevan::win32::ScopedHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!event.get() || !library_.setPacketEvent(library_.driver, adapter_, event.get())) {
      return false;
    }
    event_.store(event.take());
    return true;
  }
  void detach() override {
    const HANDLE event = event_.exchange(nullptr);
    if (!event) return;
    library_.setPacketEvent(library_.driver, adapter_, nullptr);
    brevan::win32::ScopedHandle(event).close();
  }
  void setMode(uint32_t mode) override {
    win32::AdapterMode request{adapter_, ULONG(mode)};
    library_.setAdapterMode(library_.driver, &request);
  }
  bool waitForFrames(std::chrono::milliseconds limit) override {
    const HANDLE event = event_.load();
    if (!event) return false;
    const bool signalled = WaitForSingleObject(event, DWORD(limit.count())) == WAIT_OBJECT_0;
    ResetEvent(event);
    return signalled;
  }
  void wake() override {
    if (const HANDLE event = event_.load()) SetEvent(event);
  }
  bool read(FrameBuffer& buffer) override {
    if (!library_.readPacket(library_.driver, &request_)) return false;
    const win32::IntermediateBuffer& in = *request_.buffer;
    buffer.flags = in.direction;
    buffer.length = uint32_t(std::min<size_t>(in.length, kMaxFrameLength));
    std::memcpy(buffer.data, in.frame, buffer.length);
    return true;
  }
  void send(const FrameBuffer& buffer) override {
    win32::IntermediateBuffer& out = *request_.buffer;
    out.direction = buffer.flags;
    out.length = buffer.length;
    std::memcpy(out.frame, buffer.data, buffer.length);
    if (buffer.flags == kToNetwork) {
      library_.sendPacketToAdapter(library_.driver, &request_);
    } else {
      library_.sendPacketToMstcp(library_.driver, &request_);
    }
  }
  void flush() override { library_.flushAdapterPacketQueue(library_.driver, adapter_); }

 private:
  FilterLibrary& library_;
  const HANDLE adapter_;
  std::unique_ptr<uint8_t[]> storage_;  // the zeroed frame buffer handed to the library
  win32::EthRequest request_{};
  // The registered event, owned here; no lock, so that the exit clean-up can never wait on a
  // worker that the process ended while it held one.
  std::atomic<HANDLE> event_{nullptr};
};

class NdisBackend : public FilterBackend {
 public:
  bool driverLoaded() override {
    FilterLibrary& library = win32::filterLibrary();
    return library.ready() && library.isDriverLoaded(library.driver);
  }

  bool listAdapters(std::vector<AdapterEntry>& adapters) override {
    FilterLibrary& library = win32::filterLibrary();
    if (!library.ready()) return false;
    std::unique_ptr<uint8_t[]> storage(new uint8_t[win32::kAdapterListBytes]());
    auto* list = reinterpret_cast<win32::TcpAdapterList*>(storage.get());
    if (!library.getTcpipBoundAdaptersInfo(library.driver, list)) return false;
    adapters.clear();
    const size_t count = std::min<size_t>(list->count, kMaxAdapters);
    for (size_t i = 0; i < count; ++i) {
      const char* name = reinterpret_cast<const char*>(list->names[i]);
      adapters.push_back(AdapterEntry{std::string(name, strnlen(name, kAdapterNameBytes)),
                                      uint64_t(reinterpret_cast<uintptr_t>(list->handles[i]))});
    }
    return true;
  }

  std::unique_ptr<AdapterPort> port(const AdapterEntry& adapter) override {
    return std::make_unique<NdisPort>(win32::filterLibrary(),
                                      reinterpret_cast<HANDLE>(uintptr_t(adapter.handle)));
  }
};

}  // namespace

FilterBackend& processBackend() {
  static NdisBackend* backend = new NdisBackend();
  return *backend;
}

}  // namespace brevan::netredirect
