#include "adapter_worker.h"

namespace brevan::netredirect {
namespace {

void handBack(AdapterPort& port, FrameBuffer& buffer) {
  port.setMode(kModeNone);
  while (port.read(buffer)) port.send(buffer);
  port.detach();
}

}  // namespace

void runWorker(AdapterRecord& record, const RuleTables& rules,
               const std::atomic<bool>& stopRequested) {
  AdapterPort& port = *record.port;
  if (!port.attach()) {
    port.detach();
    record.running.store(false);
    return;
  }
  auto buffer = std::make_unique<FrameBuffer>();  // reused for every frame
  port.setMode(kModeTunnel);
  while (!stopRequested.load()) {
    if (!port.waitForFrames(kWorkerWait)) continue;
    while (port.read(*buffer)) {
      if (!stopRequested.load()) {
        Frame frame = buffer->view();
        processFrame(frame, record.learned, rules);
        buffer->flags = frame.flags;
      }
      port.send(*buffer);
      if (stopRequested.load()) break;
    }
  }
  handBack(port, *buffer);
  record.running.store(false);
}

}  // namespace brevan::netredirect
