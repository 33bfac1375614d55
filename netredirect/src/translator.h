// The redirector's module state and the operations behind the Java methods: the adapter records
// (up to 32), the two rule tables, and one worker thread per adapter.
//
// One control lock serialises open, close, start, stop and the add calls; workers never take it.
// Workers read the rule tables without locking (see redirect_rules.h) and only while the tables
// are open; close and open stop the workers before they touch the tables.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>

#include "adapter_worker.h"
#include "filter_backend.h"
#include "redirect_rules.h"

namespace brevan::netredirect {

class Translator {
 public:
  explicit Translator(FilterBackend& backend,
                      std::chrono::milliseconds stopLimit = std::chrono::milliseconds(5000));
  // Waits for the workers to end: they use the records and tables.
  ~Translator();
  Translator(const Translator&) = delete;
  Translator& operator=(const Translator&) = delete;

  // Stops running workers first (false if they will not stop), empties the tables, and builds a
  // record per adapter. False when the driver is not there or the adapters cannot be listed.
  bool open();
  // Stops the workers and frees the tables; false (tables kept) if a worker will not stop.
  bool close();
  // Stops running workers, then starts one per record. False when they would not stop.
  bool start();
  // True when no worker runs any more, waiting at most the stop limit.
  bool stop();
  bool isRunning() const;
  // The hash of a freshly listed set of adapters; -1 when the list is not available.
  int32_t adaptorHashCode();

  // False before a successful open, after close, or when the table is full.
  bool addSmbTranslations();
  bool addLocalRedirect(int32_t virtualAddress, int32_t peerAddress, int32_t virtualPort,
                        int32_t localPort);
  bool addRemoteRedirect(int32_t virtualAddress, int32_t targetAddress, int32_t virtualPort,
                         int32_t targetPort, int32_t hardwareTail, int32_t hardwareHead);

  // At process exit: asks the workers to stop and puts every adapter back to mode 0 with its
  // event unregistered and its queue flushed. Takes no lock: the control thread may be gone.
  void exitCleanUp();

  size_t adapterCount() const { return recordCount_.load(); }
  // What adapter `adapter` learned; its worker alone writes it, so read it while that worker
  // is stopped or waiting.
  LearnedFields learned(size_t adapter) const { return records_[adapter].learned; }

 private:
  bool stopWorkers();  // with the control lock held
  bool anyRunning() const;

  FilterBackend& backend_;
  const std::chrono::milliseconds stopLimit_;
  // Serialises open, close, start, stop and the add calls; guards the records' ports and
  // tablesOpen_. Workers never take it.
  std::mutex control_;
  std::array<AdapterRecord, kMaxAdapters> records_;  // guarded by control_ (records_[i].port)
  std::atomic<size_t> recordCount_{0};
  RuleTables tables_;
  bool tablesOpen_ = false;  // guarded by control_
  std::atomic<bool> stopRequested_{false};
};

}  // namespace brevan::netredirect
