#include "win32/capture_api_win32.h"

namespace brevan::camcapture::win32 {

const CaptureApi& captureApi() {
  static const CaptureApi api = [] {
    CaptureApi bound;
    // Kept for the life of the process: capture windows of its class may exist until then.
    if (HMODULE module = LoadLibraryA("avicap32.dll")) {
      bound.getDriverDescription = reinterpret_cast<GetDriverDescription>(
          reinterpret_cast<void*>(GetProcAddress(module, "capGetDriverDescriptionA")));
      bound.createCaptureWindow = reinterpret_cast<CreateCaptureWindow>(
          reinterpret_cast<void*>(GetProcAddress(module, "capCreateCaptureWindowA")));
    }
    return bound;
  }();
  return api;
}

bool driverDescription(int index, char (&name)[256]) {
  name[0] = '\0';
  const auto describe = captureApi().getDriverDescription;
  if (describe == nullptr || index < 0) return false;
  char version[256] = {};
  if (!describe(UINT(index), name, int(sizeof(name)), version, int(sizeof(version)))) {
    name[0] = '\0';
    return false;
  }
  name[sizeof(name) - 1] = '\0';
  return true;
}

}  // namespace brevan::camcapture::win32
