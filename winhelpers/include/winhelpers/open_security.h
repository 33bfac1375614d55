// Security attributes whose descriptor has a present but null access list: every account may
// open the object.
#pragma once

#include <windows.h>

namespace brevan::win32 {

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

}  // namespace brevan::win32
