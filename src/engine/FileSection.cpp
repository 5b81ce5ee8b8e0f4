#include "engine/FileSection.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>
#include <vector>

#include "base/ByteIO.h"
#include "base/Errors.h"
#include "imaging/RasterUtils.h"

namespace qv {
namespace {

constexpr int64_t kChunk = 1 << 20;

void PreadAll(int fd, int64_t pos, void* out, int64_t n) {
  auto* p = static_cast<uint8_t*>(out);
  while (n > 0) {
    ssize_t got = ::pread(fd, p, static_cast<size_t>(n), static_cast<off_t>(pos));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) throw EStreamError("Cannot read a temporary file");
    p += got;
    pos += got;
    n -= got;
  }
}

void PwriteAll(int fd, int64_t pos, const void* data, int64_t n) {
  auto* p = static_cast<const uint8_t*>(data);
  while (n > 0) {
    ssize_t put = ::pwrite(fd, p, static_cast<size_t>(n), static_cast<off_t>(pos));
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) throw EStreamError(std::string("Cannot write a temporary file: ") + std::strerror(errno));
    p += put;
    pos += put;
    n -= put;
  }
}

}  // namespace

FileSection::FileSection() {
  std::string name = MakeTempFileName("qv");
  fd_ = ::open(name.c_str(), O_RDWR | O_CLOEXEC);
  int err = errno;
  ::unlink(name.c_str());
  if (fd_ < 0) throw EStreamError("Cannot open temporary file " + name + ": " + std::strerror(err));
}

FileSection::~FileSection() {
  if (fd_ >= 0) ::close(fd_);
}

FileSection::FileSection(FileSection&& other) noexcept : fd_(other.fd_), size_(other.size_) {
  other.fd_ = -1;
  other.size_ = 0;
}

FileSection& FileSection::operator=(FileSection&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = std::exchange(other.fd_, -1);
    size_ = std::exchange(other.size_, 0);
  }
  return *this;
}

void FileSection::Swap(FileSection& other) noexcept {
  std::swap(fd_, other.fd_);
  std::swap(size_, other.size_);
}

void FileSection::ReadAt(int64_t pos, void* out, int64_t n) const {
  if (!Holds(pos, n))
    throw EStreamError("Read beyond the end of the thumbnail section (" + std::to_string(n) + " bytes at " +
                       std::to_string(pos) + " of " + std::to_string(size_) + ")");
  PreadAll(fd_, pos, out, n);
}

int32_t FileSection::ReadI32(int64_t pos) const {
  uint8_t b[4];
  ReadAt(pos, b, 4);
  return GetLE32s(b);
}

std::string FileSection::ReadString(int64_t pos, int64_t n) const {
  if (!Holds(pos, n)) ReadAt(pos, nullptr, n);  // raises the range error
  std::string s(static_cast<size_t>(n), '\0');
  if (n > 0) PreadAll(fd_, pos, s.data(), n);
  return s;
}

int64_t FileSection::WriteAt(int64_t pos, const void* data, int64_t n) {
  if (pos < 0 || pos > size_ || n < 0) throw EStreamError("Write outside the thumbnail section");
  if (fd_ < 0) throw EStreamError("Cannot write a temporary file");
  PwriteAll(fd_, pos, data, n);
  if (pos + n > size_) size_ = pos + n;
  return pos;
}

void FileSection::WriteI32(int64_t pos, int32_t v) {
  uint8_t b[4];
  PutLE32(b, static_cast<uint32_t>(v));
  WriteAt(pos, b, 4);
}

int64_t FileSection::AppendI32(int32_t v) {
  uint8_t b[4];
  PutLE32(b, static_cast<uint32_t>(v));
  return Append(b, 4);
}

void FileSection::Truncate(int64_t n) {
  if (n < 0 || n > size_) throw EStreamError("Section cannot be cut to " + std::to_string(n) + " bytes");
  if (fd_ >= 0 && ::ftruncate(fd_, static_cast<off_t>(n)) != 0)
    throw EStreamError("Cannot cut a temporary file");
  size_ = n;
}

void FileSection::AppendFromFile(int fd, int64_t offset, int64_t n) {
  std::vector<uint8_t> buf(static_cast<size_t>(std::min<int64_t>(std::max<int64_t>(n, 0), kChunk)));
  while (n > 0) {
    int64_t part = std::min<int64_t>(n, kChunk);
    ssize_t got = ::pread(fd, buf.data(), static_cast<size_t>(part), static_cast<off_t>(offset));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) throw EStreamError("Unexpected end of file");
    Append(buf.data(), got);
    offset += got;
    n -= got;
  }
}

void FileSection::AppendFrom(const FileSection& src, int64_t pos, int64_t n) {
  if (!src.Holds(pos, n)) src.ReadAt(pos, nullptr, n);  // raises the range error
  AppendFromFile(src.fd_, pos, n);
}

void FileSection::ReadChunks(int64_t pos, int64_t n, const std::function<void(const void*, size_t)>& sink) const {
  if (!Holds(pos, n)) ReadAt(pos, nullptr, n);  // raises the range error
  std::vector<uint8_t> buf(static_cast<size_t>(std::min<int64_t>(n, kChunk)));
  while (n > 0) {
    int64_t part = std::min<int64_t>(n, kChunk);
    PreadAll(fd_, pos, buf.data(), part);
    sink(buf.data(), static_cast<size_t>(part));
    pos += part;
    n -= part;
  }
}

}  // namespace qv
