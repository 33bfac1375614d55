#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

namespace brevan::hostutil {

// The 144-byte POWER_POLICY record as POWRPROF reads and writes it: USER_POWER_POLICY (80 bytes)
// followed by MACHINE_POWER_POLICY (64 bytes). Only two fields are interpreted here; the rest is
// carried over untouched.
class PowerPolicy {
 public:
  static constexpr size_t kSize = 144;
  static constexpr size_t kIdleTimeoutAcOffset = 28;         // user.IdleTimeoutAc
  static constexpr size_t kDozeS4TimeoutAcOffset = 80 + 28;  // mach.DozeS4TimeoutAc

  uint32_t idleTimeoutAc() const { return field(kIdleTimeoutAcOffset); }
  void setIdleTimeoutAc(uint32_t seconds) { setField(kIdleTimeoutAcOffset, seconds); }
  uint32_t dozeS4TimeoutAc() const { return field(kDozeS4TimeoutAcOffset); }
  void setDozeS4TimeoutAc(uint32_t seconds) { setField(kDozeS4TimeoutAcOffset, seconds); }

  uint8_t* data() { return bytes_.data(); }
  const uint8_t* data() const { return bytes_.data(); }
  bool operator==(const PowerPolicy& other) const { return bytes_ == other.bytes_; }

 private:
  uint32_t field(size_t offset) const;
  void setField(size_t offset, uint32_t value);

  std::array<uint8_t, kSize> bytes_{};
};

// The power-scheme operations of POWRPROF, plus the two side effects of the method.
class PowerSchemes {
 public:
  using SchemeVisitor = std::function<void(uint32_t index, const std::u16string& name)>;

  virtual ~PowerSchemes() = default;
  virtual bool activeScheme(uint32_t& index) = 0;
  virtual void enumerate(const SchemeVisitor& visit) = 0;
  virtual bool read(uint32_t index, PowerPolicy& policy) = 0;
  virtual bool write(uint32_t index, const std::u16string& name, const std::u16string& description,
                     const PowerPolicy& policy) = 0;
  virtual bool setActive(uint32_t index) = 0;
  virtual void writeConsole(const char* text) = 0;
  virtual void postQuitMessage() = 0;
};

extern const char16_t kNoStandbySchemeName[];
extern const char kSchemeDoesNotSleepLine[];

// Derives "no standby on mains power" from the active scheme and activates it. What earlier
// calls saw (highest index, the scheme of our name) is kept between calls, as the module does.
class NoStandbyScheme {
 public:
  void apply(PowerSchemes& schemes);

 private:
  void survey(PowerSchemes& schemes, uint32_t activeIndex);

  bool seenAnyIndex_ = false;
  uint32_t highestIndex_ = 0;
  int32_t foundIndex_ = -1;
  std::u16string currentSchemeName_;
};

std::u16string noStandbyDescription(const std::u16string& previousSchemeName);

}  // namespace brevan::hostutil
