#include "jnitest/library.h"

#include <windows.h>

#include <stdexcept>

#include "winhelpers/handles.h"

namespace brevan::jnitest {

Library::Library(const std::string& name, const std::string& directory)
    : path_(hostPath(directory + "/" + fileName(name))) {
  handle_ = LoadLibraryA(path_.c_str());
  if (handle_ == nullptr) {
    throw std::runtime_error("cannot load " + path_ + ": error " + std::to_string(GetLastError()));
  }
}

void* Library::find(const char* symbol) const {
  // Through void*: FARPROC's own type says nothing about the export's signature.
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), symbol));
}

void Library::close() {
  brevan::win32::ScopedModule(static_cast<HMODULE>(handle_)).close();
  handle_ = nullptr;
}

}  // namespace brevan::jnitest
