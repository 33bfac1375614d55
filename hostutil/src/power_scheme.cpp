#include "power_scheme.h"

namespace brevan::hostutil {

const char16_t kNoStandbySchemeName[] = u"Brevan (no plugged in standby)";
const char kSchemeDoesNotSleepLine[] = "The existing power settings do not sleep.";

namespace {

// Name and description are formatted into buffers of this many characters, terminator included.
constexpr size_t kSchemeTextCapacity = 8192;

std::u16string clipped(std::u16string text) {
  if (text.size() >= kSchemeTextCapacity) text.resize(kSchemeTextCapacity - 1);
  return text;
}

}  // namespace

uint32_t PowerPolicy::field(size_t offset) const {
  return uint32_t(bytes_[offset]) | uint32_t(bytes_[offset + 1]) << 8 |
         uint32_t(bytes_[offset + 2]) << 16 | uint32_t(bytes_[offset + 3]) << 24;
}

void PowerPolicy::setField(size_t offset, uint32_t value) {
  for (size_t i = 0; i < 4; ++i) bytes_[offset + i] = uint8_t(value >> (8 * i));
}

std::u16string noStandbyDescription(const std::u16string& previousSchemeName) {
  return clipped(u"Brevan Powerscheme created from previous power scheme \"" + previousSchemeName +
                 u"\"");
}

void NoStandbyScheme::survey(PowerSchemes& schemes, uint32_t activeIndex) {
  schemes.enumerate([&](uint32_t index, const std::u16string& name) {
    if (!seenAnyIndex_ || index > highestIndex_) {
      highestIndex_ = index;
      seenAnyIndex_ = true;
    }
    if (index == activeIndex) currentSchemeName_ = clipped(name);
  });
  schemes.enumerate([&](uint32_t index, const std::u16string& name) {
    if (name == kNoStandbySchemeName) foundIndex_ = int32_t(index);
  });
}

void NoStandbyScheme::apply(PowerSchemes& schemes) {
  uint32_t activeIndex = UINT32_MAX;
  schemes.activeScheme(activeIndex);
  survey(schemes, activeIndex);

  // A failed read leaves the zeroed record, which reads as "never sleeps": nothing is changed.
  PowerPolicy active;
  schemes.read(activeIndex, active);
  if (active.idleTimeoutAc() == 0) {
    schemes.writeConsole(kSchemeDoesNotSleepLine);
  } else {
    PowerPolicy changed = active;
    changed.setIdleTimeoutAc(0);
    changed.setDozeS4TimeoutAc(active.idleTimeoutAc() + active.dozeS4TimeoutAc());
    const uint32_t index = foundIndex_ != -1 ? uint32_t(foundIndex_) : highestIndex_ + 1;
    schemes.write(index, kNoStandbySchemeName, noStandbyDescription(currentSchemeName_), changed);
    schemes.setActive(index);
  }
  schemes.postQuitMessage();
}

}  // namespace brevan::hostutil
