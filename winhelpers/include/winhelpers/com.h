// Holders of COM interface pointers (Release), BSTRs (SysFreeString) and VARIANTs (VariantClear).
#pragma once

#include <windows.h>

#include <oleauto.h>

#include "winhelpers/scoped.h"

namespace brevan::win32 {

template <typename Interface>
struct ComTraits {
  using Handle = Interface*;
  static constexpr char kKind[] = "COM pointer";
  static Handle none() { return nullptr; }
  static bool valid(Handle p) { return p != nullptr; }
  // The count left is no error report: every Release succeeds.
  static bool release(Handle p) {
    p->Release();
    return true;
  }
};

template <typename Interface>
class ComPtr : public Scoped<ComTraits<Interface>> {
 public:
  using Scoped<ComTraits<Interface>>::Scoped;
  Interface* operator->() const { return this->get(); }
  // The slot for an out-parameter typed void** (CoCreateInstance, QueryInterface).
  void** receiveVoid() { return reinterpret_cast<void**>(this->receive()); }
};

struct BstrTraits {
  using Handle = BSTR;
  static constexpr char kKind[] = "BSTR";
  static Handle none() { return nullptr; }
  static bool valid(Handle text) { return text != nullptr; }
  static bool release(Handle text) {
    SysFreeString(text);
    return true;
  }
};

using ScopedBstr = Scoped<BstrTraits>;

// A VARIANT, empty from the start and cleared at the end.
class ScopedVariant {
 public:
  ScopedVariant() { VariantInit(&value_); }
  ScopedVariant(const ScopedVariant&) = delete;
  ScopedVariant& operator=(const ScopedVariant&) = delete;
  ~ScopedVariant() { clear(); }

  VARIANT* get() { return &value_; }
  // Clears the value and lends it to a function that fills it.
  VARIANT* receive() {
    clear();
    return &value_;
  }

 private:
  void clear() {
    const DWORD saved = GetLastError();
    const HRESULT cleared = VariantClear(&value_);
    if (FAILED(cleared)) reportReleaseFailure("VARIANT", DWORD(cleared));
    SetLastError(saved);
  }

  VARIANT value_;
};

}  // namespace brevan::win32
