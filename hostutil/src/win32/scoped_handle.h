#pragma once

#include <windows.h>

#include <string>
#include <utility>

namespace hostutil::win32 {

// Move-only owner of a kernel object; Traits says what "none" is and how to release. Releasing
// keeps the thread's last error intact so a failed call can still be examined after cleanup.
template <typename Traits>
class Scoped {
 public:
  using Handle = typename Traits::Handle;

  Scoped() = default;
  explicit Scoped(Handle handle) : handle_(handle) {}
  Scoped(Scoped&& other) noexcept : handle_(other.take()) {}
  Scoped& operator=(Scoped&& other) noexcept {
    reset(other.take());
    return *this;
  }
  Scoped(const Scoped&) = delete;
  Scoped& operator=(const Scoped&) = delete;
  ~Scoped() { reset(); }

  Handle get() const { return handle_; }
  explicit operator bool() const { return Traits::valid(handle_); }
  Handle take() { return std::exchange(handle_, Traits::none()); }
  void reset(Handle handle = Traits::none()) {
    if (Traits::valid(handle_)) {
      const DWORD error = GetLastError();
      Traits::release(handle_);
      SetLastError(error);
    }
    handle_ = handle;
  }

 private:
  Handle handle_ = Traits::none();
};

struct KernelHandleTraits {
  using Handle = HANDLE;
  static Handle none() { return nullptr; }
  static bool valid(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void release(Handle h) { CloseHandle(h); }
};

struct ModuleTraits {
  using Handle = HMODULE;
  static Handle none() { return nullptr; }
  static bool valid(Handle h) { return h != nullptr; }
  static void release(Handle h) { FreeLibrary(h); }
};

using ScopedHandle = Scoped<KernelHandleTraits>;
using ScopedModule = Scoped<ModuleTraits>;

inline const wchar_t* wide(const std::u16string& text) {
  static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 wide characters");
  return reinterpret_cast<const wchar_t*>(text.c_str());
}

inline std::u16string fromWide(const wchar_t* text) {
  return text ? std::u16string(reinterpret_cast<const char16_t*>(text)) : std::u16string();
}

// Security attributes whose descriptor has a present but null access list: every account may
// open the object.
class OpenSecurity {
 public:
  explicit OpenSecurity(bool inheritable) {
    valid_ = InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION) &&
             SetSecurityDescriptorDacl(&descriptor_, TRUE, nullptr, FALSE);
    attributes_.nLength = sizeof(attributes_);
    attributes_.lpSecurityDescriptor = valid_ ? &descriptor_ : nullptr;
    attributes_.bInheritHandle = inheritable;
  }
  OpenSecurity(const OpenSecurity&) = delete;
  OpenSecurity& operator=(const OpenSecurity&) = delete;

  SECURITY_ATTRIBUTES* get() { return &attributes_; }

 private:
  SECURITY_DESCRIPTOR descriptor_{};
  SECURITY_ATTRIBUTES attributes_{};
  bool valid_ = false;
};

}  // namespace hostutil::win32

namespace hostutil::win32 {

// An entry point looked up by name at run time, so the library loads where it is missing.
template <typename Function>
Function boundEntry(HMODULE module, const char* name) {
  return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)))
                : nullptr;
}

}  // namespace hostutil::win32
