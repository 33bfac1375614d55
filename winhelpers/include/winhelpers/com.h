// Holders of COM interface pointers (Release), BSTRs (SysFreeString) and VARIANTs (VariantClear).
#pragma once

#include <windows.h>

#include <oleauto.h>

#include "winhelpers/scoped.h"

namespace brevan::win32 {

// One reference to a COM object (Release).
template <typename Interface>
struct ComTraits : NullIsNoneTraits<Interface*> {
  using typename NullIsNoneTraits<Interface*>::Handle;
  static constexpr char kKind[] = "COM pointer";
  // The count left is no error report: every Release succeeds.
  static bool release(Handle p) {
    p->Release();
    return true;
  }
};

// The holder of a COM reference, used through ->.
template <typename Interface>
class ComPtr : public Scoped<ComTraits<Interface>> {
 public:
  using Scoped<ComTraits<Interface>>::Scoped;
  Interface* operator->() const { return this->get(); }
  // The slot for an out-parameter typed void** (CoCreateInstance, QueryInterface).
  void** receiveVoid() { return reinterpret_cast<void**>(this->receive()); }
};

// A string from SysAllocString (SysFreeString).
struct BstrTraits : NullIsNoneTraits<BSTR> {
  static constexpr char kKind[] = "BSTR";
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
