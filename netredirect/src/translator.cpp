#include "translator.h"

#include <thread>

#include "adaptor_hash.h"

namespace brevan::netredirect {

namespace {
constexpr std::chrono::milliseconds kStopPoll{10};
}

Translator::Translator(FilterBackend& backend, std::chrono::milliseconds stopLimit)
    : backend_(backend), stopLimit_(stopLimit) {}

Translator::~Translator() {
  std::lock_guard<std::mutex> lock(control_);
  while (!stopWorkers()) {
  }
}

bool Translator::anyRunning() const {
  const size_t count = recordCount_.load();
  for (size_t i = 0; i < count; ++i) {
    if (records_[i].running.load()) return true;
  }
  return false;
}

bool Translator::isRunning() const { return anyRunning(); }

bool Translator::stopWorkers() {
  stopRequested_.store(true);
  const size_t count = recordCount_.load();
  for (size_t i = 0; i < count; ++i) {
    if (records_[i].running.load() && records_[i].port) records_[i].port->wake();
  }
  const auto deadline = std::chrono::steady_clock::now() + stopLimit_;
  while (anyRunning()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(kStopPoll);
  }
  return true;
}

bool Translator::open() {
  std::lock_guard<std::mutex> lock(control_);
  if (anyRunning() && !stopWorkers()) return false;
  tables_.clear();
  tablesOpen_ = false;
  if (!backend_.driverLoaded()) return false;
  std::vector<AdapterEntry> adapters;
  if (!backend_.listAdapters(adapters)) return false;
  recordCount_.store(0);
  size_t count = 0;
  for (const AdapterEntry& entry : adapters) {
    if (count == kMaxAdapters) break;
    AdapterRecord& record = records_[count];
    record.index = int(count);
    record.entry = entry;
    record.port = backend_.port(entry);
    record.running.store(false);
    if (record.port) ++count;
  }
  recordCount_.store(count);
  tablesOpen_ = true;
  return true;
}

bool Translator::close() {
  std::lock_guard<std::mutex> lock(control_);
  if (anyRunning() && !stopWorkers()) return false;
  tables_.clear();
  tablesOpen_ = false;
  return true;
}

bool Translator::start() {
  std::lock_guard<std::mutex> lock(control_);
  if (anyRunning() && !stopWorkers()) return false;
  stopRequested_.store(false);
  const size_t count = recordCount_.load();
  for (size_t i = 0; i < count; ++i) {
    AdapterRecord& record = records_[i];
    record.running.store(true);  // before the thread exists, so isRunning never misses it
    try {
      std::thread([this, &record] { runWorker(record, tables_, stopRequested_); }).detach();
    } catch (...) {
      record.running.store(false);
    }
  }
  return true;
}

bool Translator::stop() {
  std::lock_guard<std::mutex> lock(control_);
  return stopWorkers();
}

int32_t Translator::adaptorHashCode() {
  std::vector<AdapterEntry> adapters;
  if (!backend_.listAdapters(adapters)) return -1;
  return adaptorHash(adapters);
}

bool Translator::addSmbTranslations() {
  std::lock_guard<std::mutex> lock(control_);
  return tablesOpen_ && netredirect::addSmbTranslations(tables_);
}

bool Translator::addLocalRedirect(int32_t virtualAddress, int32_t peerAddress,
                                  int32_t virtualPort, int32_t localPort) {
  std::lock_guard<std::mutex> lock(control_);
  return tablesOpen_ && netredirect::addLocalRedirect(tables_, virtualAddress, peerAddress,
                                                      virtualPort, localPort);
}

bool Translator::addRemoteRedirect(int32_t virtualAddress, int32_t targetAddress,
                                   int32_t virtualPort, int32_t targetPort, int32_t hardwareTail,
                                   int32_t hardwareHead) {
  std::lock_guard<std::mutex> lock(control_);
  return tablesOpen_ &&
         netredirect::addRemoteRedirect(tables_, virtualAddress, targetAddress, virtualPort,
                                        targetPort, hardwareTail, hardwareHead);
}

void Translator::exitCleanUp() {
  stopRequested_.store(true);
  const size_t count = recordCount_.load();
  for (size_t i = 0; i < count; ++i) {
    AdapterPort* port = records_[i].port.get();
    if (!port) continue;
    port->wake();
    port->detach();
    port->setMode(kModeNone);
    port->flush();
  }
}

}  // namespace brevan::netredirect
