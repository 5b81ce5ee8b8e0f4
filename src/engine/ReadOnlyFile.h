#pragma once
// Reading table files that are not trusted: a read-only handle, exact positioned reads and
// the error a damaged file raises.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <string>

#include "base/Errors.h"

namespace qv {

class ReadOnlyFile {
 public:
  explicit ReadOnlyFile(const std::string& name) : fd_(::open(name.c_str(), O_RDONLY | O_CLOEXEC)) {}
  ~ReadOnlyFile() {
    if (fd_ >= 0) ::close(fd_);
  }
  ReadOnlyFile(const ReadOnlyFile&) = delete;
  ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;
  int Fd() const { return fd_; }
  int64_t Size() const {
    struct stat st;
    return ::fstat(fd_, &st) == 0 ? static_cast<int64_t>(st.st_size) : -1;
  }

 private:
  int fd_;
};

// Reads exactly n bytes at pos; false when the file holds fewer.
inline bool ReadExact(int fd, int64_t pos, void* out, int64_t n) {
  auto* p = static_cast<uint8_t*>(out);
  while (n > 0) {
    ssize_t got = ::pread(fd, p, static_cast<size_t>(n), static_cast<off_t>(pos));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    p += got;
    pos += got;
    n -= got;
  }
  return true;
}

// A file whose magic is right but whose content does not hold together.
[[noreturn]] inline void RaiseDamagedFile(const std::string& fileName, const std::string& what) {
  throw EFormatError("Damaged file: " + fileName + " (" + what + ")");
}

}  // namespace qv
