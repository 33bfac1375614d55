// Portable half of the loader: where the library lies and how its path is spelled.
#include "jnitest/library.h"

#include <cstdlib>
#include <stdexcept>
#include <utility>

#ifndef BREVAN_DIST_DIR
#define BREVAN_DIST_DIR ""
#endif

namespace brevan::jnitest {

std::string distDirectory() {
  const char* fromEnvironment = std::getenv("BREVAN_DIST_DIR");
  if (fromEnvironment != nullptr && *fromEnvironment != '\0') return fromEnvironment;
  return BREVAN_DIST_DIR;
}

std::string windowsPathOf(const std::string& unixPath) {
  if (unixPath.empty() || unixPath[0] != '/') return unixPath;
  std::string path = "Z:" + unixPath;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

std::string hostPath(const std::string& path) {
#ifdef _WIN32
  return windowsPathOf(path);
#else
  return path;
#endif
}

std::string Library::fileName(const std::string& name) {
#ifdef _WIN32
  return name + ".dll";
#else
  return "lib" + name + ".so";
#endif
}

Library::Library(Library&& other) noexcept
    : path_(std::move(other.path_)), handle_(std::exchange(other.handle_, nullptr)) {}

Library& Library::operator=(Library&& other) noexcept {
  if (this != &other) {
    close();
    path_ = std::move(other.path_);
    handle_ = std::exchange(other.handle_, nullptr);
  }
  return *this;
}

Library::~Library() { close(); }

void* Library::address(const char* symbol) const {
  void* found = find(symbol);
  if (found == nullptr) throw std::runtime_error(path_ + " does not export " + symbol);
  return found;
}

}  // namespace brevan::jnitest
