// Files on POSIX systems, by their UTF-8 names.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "file_io.h"
#include "utf8_name.h"

namespace brevan::delta {
namespace {

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  // Closes now and says whether the system took every write.
  bool close() {
    int fd = fd_;
    fd_ = -1;
    return fd < 0 || ::close(fd) == 0;
  }

 private:
  int fd_;
};

class PosixInputFile final : public ByteSource {
 public:
  PosixInputFile(int fd, int64_t size) : fd_(fd), size_(size) {}
  int64_t size() const override { return size_; }
  size_t readAt(int64_t offset, uint8_t* dest, size_t n) override {
    size_t done = 0;
    while (done < n) {
      ssize_t got = ::pread(fd_.get(), dest + done, n - done, static_cast<off_t>(offset + done));
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) break;
      done += static_cast<size_t>(got);
    }
    return done;
  }

 private:
  Descriptor fd_;
  int64_t size_;
};

class PosixOutputFile final : public OutputFile {
 public:
  explicit PosixOutputFile(int fd) : fd_(fd) {}
  bool append(const uint8_t* bytes, size_t n) override {
    while (n > 0) {
      ssize_t put = ::write(fd_.get(), bytes, n);
      if (put < 0 && errno == EINTR) continue;
      if (put <= 0) return false;
      bytes += put;
      n -= static_cast<size_t>(put);
    }
    return true;
  }
  bool close() override { return fd_.close(); }

 private:
  Descriptor fd_;
};

}  // namespace

std::unique_ptr<ByteSource> openInputFile(const FileName& name) {
  int fd = ::open(utf8Name(name).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat info;
  off_t end = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) ? ::lseek(fd, 0, SEEK_END) : -1;
  if (end < 0) {
    ::close(fd);
    return nullptr;
  }
  return std::make_unique<PosixInputFile>(fd, static_cast<int64_t>(end));
}

std::unique_ptr<OutputFile> createOutputFile(const FileName& name) {
  std::string path = utf8Name(name);
  if (::unlink(path.c_str()) != 0 && errno != ENOENT) return nullptr;
  // O_EXCL: the file written is the one this call created, never one that reappeared meanwhile.
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  return std::make_unique<PosixOutputFile>(fd);
}

void removeFile(const FileName& name) { ::unlink(utf8Name(name).c_str()); }

}  // namespace brevan::delta
