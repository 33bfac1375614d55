// POWRPROF's scheme functions take TCHAR texts; this backend speaks the wide forms.
#ifndef UNICODE
#define UNICODE
#endif
#include <windows.h>

#include <powrprof.h>

#include <cstddef>
#include <cstdio>
#include <cstring>

#include "system_backends.h"
#include "winhelpers/wide_text.h"

namespace brevan::hostutil {

namespace win32 = brevan::win32;

static_assert(sizeof(POWER_POLICY) == PowerPolicy::kSize, "POWER_POLICY layout");
static_assert(offsetof(POWER_POLICY, user.IdleTimeoutAc) == PowerPolicy::kIdleTimeoutAcOffset,
              "IdleTimeoutAc offset");
static_assert(offsetof(POWER_POLICY, mach.DozeS4TimeoutAc) == PowerPolicy::kDozeS4TimeoutAcOffset,
              "DozeS4TimeoutAc offset");

namespace {

BOOLEAN CALLBACK visitScheme(UINT index, DWORD, LPWSTR name, DWORD, LPWSTR, PPOWER_POLICY,
                             LPARAM context) {
  (*reinterpret_cast<const PowerSchemes::SchemeVisitor*>(context))(index, win32::fromWide(name));
  return TRUE;
}

class PowrprofSchemes final : public PowerSchemes {
 public:
  bool activeScheme(uint32_t& index) override {
    UINT active = UINT(index);
    const bool ok = GetActivePwrScheme(&active);
    if (ok) index = active;
    return ok;
  }

  void enumerate(const SchemeVisitor& visit) override {
    EnumPwrSchemes(visitScheme, reinterpret_cast<LPARAM>(&visit));
  }

  bool read(uint32_t index, PowerPolicy& policy) override {
    POWER_POLICY record{};
    if (!ReadPwrScheme(index, &record)) return false;
    std::memcpy(policy.data(), &record, sizeof(record));
    return true;
  }

  bool write(uint32_t index, const std::u16string& name, const std::u16string& description,
             const PowerPolicy& policy) override {
    POWER_POLICY record;
    std::memcpy(&record, policy.data(), sizeof(record));
    UINT target = index;
    std::u16string nameCopy = name;
    std::u16string descriptionCopy = description;
    return WritePwrScheme(&target, reinterpret_cast<LPWSTR>(nameCopy.data()),
                          reinterpret_cast<LPWSTR>(descriptionCopy.data()), &record);
  }

  bool setActive(uint32_t index) override { return SetActivePwrScheme(index, nullptr, nullptr); }

  void writeConsole(const char* text) override {
    std::fputs(text, stdout);
    std::fflush(stdout);
  }

  void postQuitMessage() override { PostQuitMessage(0); }
};

}  // namespace

std::unique_ptr<PowerSchemes> systemPowerSchemes() { return std::make_unique<PowrprofSchemes>(); }

}  // namespace brevan::hostutil
