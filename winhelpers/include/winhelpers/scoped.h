// Move-only owner of one Windows object, described by a traits class:
//   struct Traits {
//     using Handle = ...;                 // what is owned
//     static constexpr char kKind[] = ""; // its name in release failure reports
//     static Handle none();               // the empty value
//     static bool valid(Handle);          // whether a value is owned
//     static bool release(Handle);        // false (error in GetLastError) when it failed
//   };
// (NullIsNoneTraits supplies none() and valid() where null is the empty value.) Releasing keeps
// the thread's last error intact, so a failed call can still be examined after its cleanup; a
// failed release of a valid object is reported (release_report.h). Ownership leaves only
// through take().
#pragma once

#include <windows.h>

#include <utility>

#include "winhelpers/release_report.h"

namespace brevan::win32 {

template <typename Traits>
class Scoped {
 public:
  using Handle = typename Traits::Handle;

  Scoped() = default;
  explicit Scoped(Handle handle) : handle_(handle) {}
  Scoped(Scoped&& other) noexcept : handle_(other.take()) {}
  Scoped& operator=(Scoped&& other) noexcept {
    if (this != &other) reset(other.take());
    return *this;
  }
  Scoped(const Scoped&) = delete;
  Scoped& operator=(const Scoped&) = delete;
  ~Scoped() { reset(); }

  static bool valid(Handle handle) { return Traits::valid(handle); }

  Handle get() const { return handle_; }
  explicit operator bool() const { return Traits::valid(handle_); }
  Handle take() { return std::exchange(handle_, Traits::none()); }

  // Releases what is held and holds handle instead.
  void reset(Handle handle = Traits::none()) {
    releaseKeepingLastError(std::exchange(handle_, handle));
  }

  // Releases what is held now; false only when a held object failed to be released.
  bool close() { return releaseKeepingLastError(take()); }

  // Releases what is held and lends the slot to a function that returns a new object through it.
  Handle* receive() {
    reset();
    return &handle_;
  }

 private:
  static bool releaseKeepingLastError(Handle handle) {
    if (!Traits::valid(handle)) return true;
    const DWORD saved = GetLastError();
    const bool released = Traits::release(handle);
    if (!released) reportReleaseFailure(Traits::kKind, GetLastError());
    SetLastError(saved);
    return released;
  }

  Handle handle_ = Traits::none();
};

// The common half of traits whose empty value is null.
template <typename HandleType>
struct NullIsNoneTraits {
  using Handle = HandleType;
  static Handle none() { return nullptr; }
  static bool valid(Handle h) { return h != nullptr; }
};

}  // namespace brevan::win32
