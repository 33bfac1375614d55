// Files on Windows, by their wide names. Inputs are shared for reading and writing like the C
// run-time's files but not for deletion, so an output named like an input fails to replace it
// instead of destroying the bytes being read.
#include <windows.h>

#include "file_io.h"
#include "winhelpers/handles.h"

namespace brevan::delta {
namespace {

using win32::ScopedHandle;

// Names past MAX_PATH reach the file system only as "\\?\" paths, which must be absolute.
std::wstring win32Path(const FileName& name) {
  std::wstring path(name.begin(), name.end());
  if (path.size() < MAX_PATH - 12 || path.rfind(L"\\\\?\\", 0) == 0) return path;
  DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return path;
  std::wstring full(needed, L'\0');
  DWORD length = GetFullPathNameW(path.c_str(), needed, &full[0], nullptr);
  if (length == 0 || length >= needed) return path;
  full.resize(length);
  if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

class Win32InputFile final : public ByteSource {
 public:
  Win32InputFile(HANDLE h, int64_t size) : file_(h), size_(size) {}
  int64_t size() const override { return size_; }
  size_t readAt(int64_t offset, uint8_t* dest, size_t n) override {
    size_t done = 0;
    while (done < n) {
      OVERLAPPED at = {};
      uint64_t position = static_cast<uint64_t>(offset) + done;
      at.Offset = static_cast<DWORD>(position);
      at.OffsetHigh = static_cast<DWORD>(position >> 32);
      DWORD got = 0;
      if (!ReadFile(file_.get(), dest + done, static_cast<DWORD>(n - done), &got, &at) || got == 0)
        break;
      done += got;
    }
    return done;
  }

 private:
  ScopedHandle file_;
  int64_t size_;
};

class Win32OutputFile final : public OutputFile {
 public:
  explicit Win32OutputFile(HANDLE h) : file_(h) {}
  bool append(const uint8_t* bytes, size_t n) override {
    while (n > 0) {
      DWORD put = 0;
      if (!WriteFile(file_.get(), bytes, static_cast<DWORD>(n), &put, nullptr) || put == 0)
        return false;
      bytes += put;
      n -= put;
    }
    return true;
  }
  bool close() override { return file_.close(); }

 private:
  ScopedHandle file_;
};

}  // namespace

std::unique_ptr<ByteSource> openInputFile(const FileName& name) {
  ScopedHandle file(CreateFileW(win32Path(name).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size;
  if (!file || !GetFileSizeEx(file.get(), &size)) return nullptr;
  return std::make_unique<Win32InputFile>(file.take(), size.QuadPart);
}

std::unique_ptr<OutputFile> createOutputFile(const FileName& name) {
  std::wstring path = win32Path(name);
  if (!DeleteFileW(path.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND) return nullptr;
  // CREATE_NEW: the file written is the one this call created.
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  return std::make_unique<Win32OutputFile>(h);
}

void removeFile(const FileName& name) { DeleteFileW(win32Path(name).c_str()); }

}  // namespace brevan::delta
