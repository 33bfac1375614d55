#include "jnitest/library.h"

#include <dlfcn.h>

#include <stdexcept>

namespace brevan::jnitest {

Library::Library(const std::string& name, const std::string& directory)
    : path_(hostPath(directory + "/" + fileName(name))) {
  handle_ = dlopen(path_.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle_ == nullptr) throw std::runtime_error("cannot load " + path_ + ": " + dlerror());
}

void* Library::find(const char* symbol) const { return dlsym(handle_, symbol); }

void Library::close() {
  if (handle_ != nullptr) dlclose(handle_);
  handle_ = nullptr;
}

}  // namespace brevan::jnitest
