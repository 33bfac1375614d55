// The source that receives the hooks' reports, guarded so that an uninstall can take it away
// while the receiver thread is in the middle of a report: once set() returns, no report
// touches the old source any more.
#pragma once

#include <mutex>

#include "update_source.h"

namespace brevan::screensource::win32 {

class ReportTarget {
 public:
  void set(UpdateSource* source) {
    std::lock_guard<std::mutex> guard(mutex_);
    source_ = source;
  }
  UpdateSource* get() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return source_;
  }
  // Runs report(source); with no target the report is dropped.
  template <class Report>
  void deliver(Report report) {
    std::lock_guard<std::mutex> guard(mutex_);
    if (source_) report(*source_);
  }

 private:
  mutable std::mutex mutex_;
  UpdateSource* source_ = nullptr;  // guarded by mutex_
};

inline ReportTarget& reportTarget() {
  static ReportTarget target;
  return target;
}

}  // namespace brevan::screensource::win32
