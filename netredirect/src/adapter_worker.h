// One worker per adapter: takes each frame the filter queues, processes it and hands it on.
#pragma once

#include <atomic>
#include <memory>

#include "filter_backend.h"
#include "frame_processor.h"
#include "redirect_rules.h"

namespace brevan::netredirect {

struct AdapterRecord {
  int index = 0;
  AdapterEntry entry;
  std::unique_ptr<AdapterPort> port;  // replaced only while no worker runs
  std::atomic<bool> running{false};   // set before the worker starts, cleared as its last act
  LearnedFields learned;              // written only by the record's worker
};

// How long a worker waits for frames before it looks at the stop flag again.
constexpr std::chrono::milliseconds kWorkerWait{1000};

// The worker's body. When it ends (stop requested, or the event could not be set up) it leaves
// the adapter as it found it: mode 0, what is still queued passed on unchanged, the event
// unregistered; the frame in hand when the stop came is passed on, not dropped. Clears
// `record.running` last.
void runWorker(AdapterRecord& record, const RuleTables& rules,
               const std::atomic<bool>& stopRequested);

}  // namespace brevan::netredirect
