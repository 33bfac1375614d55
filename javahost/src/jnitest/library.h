// Loads a JNI library the way the tests of both targets share: <dist>/<Name>.dll under Wine,
// <dist>/lib<Name>.so natively, so one test source checks the DLL and the shared object.
#pragma once

#include <string>

namespace brevan::jnitest {

// The deliverables folder: the BREVAN_DIST_DIR environment variable if set, else the folder
// the tests were built for.
std::string distDirectory();

// A unix path as the running platform opens it: under Windows "/a/b" becomes "Z:\a\b" (Wine
// maps the unix root to drive Z:); other paths are returned unchanged.
std::string hostPath(const std::string& path);
std::string windowsPathOf(const std::string& unixPath);

class Library {
 public:
  // Throws std::runtime_error (with the loader's reason) if the library cannot be loaded.
  explicit Library(const std::string& name, const std::string& directory = distDirectory());
  ~Library();
  Library(Library&& other) noexcept;
  Library& operator=(Library&& other) noexcept;
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;

  static std::string fileName(const std::string& name);  // "Name.dll" or "libName.so"
  const std::string& path() const { return path_; }

  bool has(const char* symbol) const { return find(symbol) != nullptr; }
  // Throws std::runtime_error if the export is missing.
  void* address(const char* symbol) const;
  template <class Function>
  Function get(const char* symbol) const {
    return reinterpret_cast<Function>(address(symbol));
  }
  // The native method `method` of Java class zemtra.nativeCode.<javaClass>, by its JNI name.
  template <class Function>
  Function nativeMethod(const char* javaClass, const char* method) const {
    return get<Function>(
        (std::string("Java_zemtra_nativeCode_") + javaClass + "_" + method).c_str());
  }

 private:
  void* find(const char* symbol) const;
  void close();

  std::string path_;
  void* handle_ = nullptr;
};

}  // namespace brevan::jnitest
