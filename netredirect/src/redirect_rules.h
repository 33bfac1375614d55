// The two rule tables. One writer (the control side, under its lock) appends; workers read
// without locking: a rule is complete before the count that covers it is published, so a reader
// sees either the old or the new count with complete entries. Tables are only cleared while no
// worker runs.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

#include "hardware_address.h"
#include "ipv4_address.h"

namespace brevan::netredirect {

// A virtual destination replaced by a real one; replies made to come from the virtual one.
struct RemoteRedirect {
  HardwareAddress targetHardware{};
  Ipv4 targetAddress;
  Ipv4 virtualAddress;
  uint16_t targetPort = 0;
  uint16_t virtualPort = 0;
};

// A connection to a virtual address turned back to a local port, seen as coming from `peer`.
struct LocalRedirect {
  Ipv4 virtualAddress;
  Ipv4 peerAddress;
  uint16_t virtualPort = 0;
  uint16_t localPort = 0;
};

template <class Rule>
class RuleTable {
 public:
  static constexpr size_t kCapacity = 100;

  // False when the table is full.
  bool append(const Rule& rule) {
    const size_t count = count_.load(std::memory_order_relaxed);
    if (count >= kCapacity) return false;
    rules_[count] = rule;
    count_.store(count + 1, std::memory_order_release);
    return true;
  }
  void clear() { count_.store(0, std::memory_order_release); }
  size_t size() const { return count_.load(std::memory_order_acquire); }
  const Rule& operator[](size_t i) const { return rules_[i]; }

 private:
  std::array<Rule, kCapacity> rules_{};
  std::atomic<size_t> count_{0};
};

struct RuleTables {
  RuleTable<RemoteRedirect> remote;
  RuleTable<LocalRedirect> local;

  void clear() {
    remote.clear();
    local.clear();
  }
};

// The fixed SMB/NetBIOS and product-port rules, in the order they are added.
constexpr size_t kSmbRuleCount = 14;
std::array<LocalRedirect, kSmbRuleCount> smbTranslations();

// The Java side's calls, arguments as Java passes them: false when the table is full (the SMB
// set adds what fits, then answers false).
bool addSmbTranslations(RuleTables& tables);
bool addLocalRedirect(RuleTables& tables, int32_t virtualAddress, int32_t peerAddress,
                      int32_t virtualPort, int32_t localPort);
bool addRemoteRedirect(RuleTables& tables, int32_t virtualAddress, int32_t targetAddress,
                       int32_t virtualPort, int32_t targetPort, int32_t hardwareTail,
                       int32_t hardwareHead);

}  // namespace brevan::netredirect
