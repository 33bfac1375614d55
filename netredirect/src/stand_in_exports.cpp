// The test build of the library: the stand-in backend, and plain exports through which tests
// (natively and under Wine) give its adapters frames and take what the workers sent on.
#include <jni.h>

#include <chrono>
#include <cstring>
#include <sstream>

#include "process_backend.h"
#include "stand_in_filter.h"

namespace nr = brevan::netredirect;

namespace {

nr::StandInFilter& standIn() {
  static nr::StandInFilter* filter = new nr::StandInFilter();
  return *filter;
}

}  // namespace

nr::FilterBackend& nr::processBackend() { return standIn(); }

// Adapters named by `names` ('\n' between names); the driver answers when `driverLoaded`, the
// adapter query works when `queryWorks`. Only while no worker runs.
extern "C" JNIEXPORT void standInSetUp(const char* names, int driverLoaded, int queryWorks) {
  std::vector<std::string> list;
  std::istringstream lines(names ? names : "");
  for (std::string name; std::getline(lines, name);) list.push_back(name);
  standIn().setAdapters(list);
  standIn().setDriverLoaded(driverLoaded != 0);
  standIn().setQueryWorks(queryWorks != 0);
}

// A frame arriving at adapter `index` in direction `flags`; 0 when there is no such adapter.
extern "C" JNIEXPORT int standInArrive(int index, unsigned flags, const unsigned char* frame,
                                       unsigned length) {
  nr::StandInAdapter* adapter = standIn().adapter(size_t(index));
  if (!adapter) return 0;
  adapter->arrive(flags, frame, length);
  return 1;
}

// The next frame adapter `index` sent on, waiting up to `waitMs`: its length (the frame in
// `frame`, where it went in `*destination`), or -1 when none came or it does not fit.
extern "C" JNIEXPORT int standInTakeSent(int index, int waitMs, unsigned* destination,
                                         unsigned char* frame, unsigned capacity) {
  nr::StandInAdapter* adapter = standIn().adapter(size_t(index));
  nr::FrameRecord sent;
  if (!adapter || !adapter->takeSent(std::chrono::milliseconds(waitMs), sent)) return -1;
  if (sent.bytes.size() > capacity) return -1;
  *destination = sent.flags;
  std::memcpy(frame, sent.bytes.data(), sent.bytes.size());
  return int(sent.bytes.size());
}

// The adapter's mode, whether its event is registered, its attach/detach counts and how many
// frames wait in its queue, in that order; 0 when there is no such adapter.
extern "C" JNIEXPORT int standInState(int index, int state[5]) {
  nr::StandInAdapter* adapter = standIn().adapter(size_t(index));
  if (!adapter) return 0;
  state[0] = int(adapter->mode());
  state[1] = adapter->attached() ? 1 : 0;
  state[2] = adapter->attaches();
  state[3] = adapter->detaches();
  state[4] = int(adapter->queued());
  return 1;
}

// The next attach of adapter `index` fails.
extern "C" JNIEXPORT void standInFailNextAttach(int index) {
  if (nr::StandInAdapter* adapter = standIn().adapter(size_t(index))) adapter->failNextAttach(true);
}
