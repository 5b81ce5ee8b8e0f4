#include "engine/FileSection.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <utility>

#include "base/ByteIO.h"
#include "base/Errors.h"
#include "imaging/RasterUtils.h"

namespace qv {
namespace {

constexpr int64_t kChunk = 256 << 10;

std::atomic<int64_t> gTail{256 << 10};
std::atomic<uint64_t> gGeneration{0};

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

// A chunk buffer for copying through memory, kept by each thread between uses (fresh
// memory costs more than the copy). A nested use while one is out gets a buffer of its own.
class ScratchChunk {
 public:
  ScratchChunk() : buf_(std::move(Kept())) { buf_.resize(kChunk); }
  ~ScratchChunk() { Kept() = std::move(buf_); }
  uint8_t* Data() { return buf_.data(); }

 private:
  static std::vector<uint8_t>& Kept() {
    thread_local std::vector<uint8_t> kept;
    return kept;
  }
  std::vector<uint8_t> buf_;
};

}  // namespace

void FileSection::SetTailBytes(int64_t bytes) { gTail = std::max<int64_t>(bytes, 0); }
int64_t FileSection::TailBytes() { return gTail; }

uint64_t FileSection::NextGeneration() { return gGeneration.fetch_add(1, std::memory_order_relaxed) + 1; }

FileSection::FileSection() : generation_(NextGeneration()) {
  std::string name = MakeTempFileName("qv");
  fd_ = ::open(name.c_str(), O_RDWR | O_CLOEXEC);
  int err = errno;
  ::unlink(name.c_str());
  if (fd_ < 0) throw EStreamError("Cannot open temporary file " + name + ": " + std::strerror(err));
}

FileSection::~FileSection() {
  if (fd_ >= 0) ::close(fd_);
}

FileSection::FileSection(FileSection&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      size_(std::exchange(other.size_, 0)),
      fileSize_(std::exchange(other.fileSize_, 0)),
      tail_(std::move(other.tail_)),
      generation_(NextGeneration()) {
  other.tail_ = std::vector<uint8_t>();
  other.Renew();
}

FileSection& FileSection::operator=(FileSection&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = std::exchange(other.fd_, -1);
    size_ = std::exchange(other.size_, 0);
    fileSize_ = std::exchange(other.fileSize_, 0);
    tail_ = std::move(other.tail_);
    other.tail_ = std::vector<uint8_t>();
    Renew();
    other.Renew();
  }
  return *this;
}

void FileSection::Swap(FileSection& other) noexcept {
  std::swap(fd_, other.fd_);
  std::swap(size_, other.size_);
  std::swap(fileSize_, other.fileSize_);
  tail_.swap(other.tail_);
  Renew();
  other.Renew();
}

// ---- Reading ----

void FileSection::ReadAt(int64_t pos, void* out, int64_t n) const {
  if (!Holds(pos, n))
    throw EStreamError("Read beyond the end of the thumbnail section (" + std::to_string(n) + " bytes at " +
                       std::to_string(pos) + " of " + std::to_string(size_) + ")");
  auto* p = static_cast<uint8_t*>(out);
  if (pos < fileSize_) {
    const int64_t part = std::min(n, fileSize_ - pos);
    PreadAll(fd_, pos, p, part);
    p += part;
    pos += part;
    n -= part;
  }
  if (n > 0) std::memcpy(p, tail_.data() + (pos - fileSize_), static_cast<size_t>(n));
}

int32_t FileSection::ReadI32(int64_t pos) const {
  uint8_t b[4];
  ReadAt(pos, b, 4);
  return GetLE32s(b);
}

std::string FileSection::ReadString(int64_t pos, int64_t n) const {
  if (!Holds(pos, n)) ReadAt(pos, nullptr, n);  // raises the range error
  std::string s(static_cast<size_t>(n), '\0');
  ReadAt(pos, s.data(), n);
  return s;
}

std::vector<int32_t> FileSection::ReadI32s(const std::vector<int64_t>& positions) const {
  constexpr int64_t kWindow = 64 << 10;
  std::vector<int32_t> out(positions.size());
  std::vector<size_t> order(positions.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return positions[a] < positions[b]; });
  std::vector<uint8_t> window;
  int64_t from = 0, to = 0;  // the window holds [from, to)
  for (size_t i : order) {
    const int64_t pos = positions[i];
    if (!Holds(pos, 4)) ReadAt(pos, nullptr, 4);  // raises the range error
    if (pos < from || pos + 4 > to) {
      from = pos;
      to = std::min(size_, pos + kWindow);
      window.resize(static_cast<size_t>(to - from));
      ReadAt(from, window.data(), to - from);
    }
    out[i] = GetLE32s(window.data() + (pos - from));
  }
  return out;
}

void FileSection::ReadChunks(int64_t pos, int64_t n, const std::function<void(const void*, size_t)>& sink) const {
  if (!Holds(pos, n)) ReadAt(pos, nullptr, n);  // raises the range error
  if (pos < fileSize_) {
    ScratchChunk buf;
    for (int64_t left = std::min(n, fileSize_ - pos); left > 0;) {
      const int64_t part = std::min(left, kChunk);
      PreadAll(fd_, pos, buf.Data(), part);
      sink(buf.Data(), static_cast<size_t>(part));
      pos += part;
      left -= part;
      n -= part;
    }
  }
  // The tail goes to the sink as it is.
  if (n > 0) sink(tail_.data() + (pos - fileSize_), static_cast<size_t>(n));
}

// ---- Writing ----

void FileSection::Flush() {
  if (tail_.empty()) return;
  PwriteAll(fd_, fileSize_, tail_.data(), static_cast<int64_t>(tail_.size()));
  fileSize_ += static_cast<int64_t>(tail_.size());
  tail_.clear();
}

int64_t FileSection::WriteAt(int64_t pos, const void* data, int64_t n) {
  if (pos < 0 || pos > size_ || n < 0) throw EStreamError("Write outside the thumbnail section");
  if (fd_ < 0) throw EStreamError("Cannot write a temporary file");
  const auto* p = static_cast<const uint8_t*>(data);
  const int64_t start = pos;
  if (pos < size_ && n > 0) {  // overwriting
    Renew();
    const int64_t end = std::min(pos + n, size_);
    if (pos < fileSize_) {
      const int64_t part = std::min(end, fileSize_) - pos;
      PwriteAll(fd_, pos, p, part);
      p += part;
      pos += part;
    }
    if (pos < end) {
      std::memcpy(tail_.data() + (pos - fileSize_), p, static_cast<size_t>(end - pos));
      p += end - pos;
      pos = end;
    }
    n = start + n - end;
  }
  if (n > 0) {  // appending
    if (tail_.capacity() == 0 && gTail > 0) tail_.reserve(static_cast<size_t>(gTail.load()));
    if (static_cast<int64_t>(tail_.size()) + n > static_cast<int64_t>(tail_.capacity())) Flush();
    if (n > static_cast<int64_t>(tail_.capacity())) {
      PwriteAll(fd_, fileSize_, p, n);
      fileSize_ += n;
    } else {
      tail_.insert(tail_.end(), p, p + n);
    }
    size_ += n;
  }
  return start;
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
  if (n == size_) return;
  Renew();
  if (n >= fileSize_) {
    tail_.resize(static_cast<size_t>(n - fileSize_));
  } else {
    if (fd_ >= 0 && ::ftruncate(fd_, static_cast<off_t>(n)) != 0) throw EStreamError("Cannot cut a temporary file");
    fileSize_ = n;
    tail_.clear();
  }
  size_ = n;
}

void FileSection::AppendFromFile(int fd, int64_t offset, int64_t n) {
  const int64_t before = size_;
  ScratchChunk buf;
  try {
    while (n > 0) {
      const int64_t part = std::min(n, kChunk);
      ssize_t got = ::pread(fd, buf.Data(), static_cast<size_t>(part), static_cast<off_t>(offset));
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) throw EStreamError("Unexpected end of file");
      Append(buf.Data(), got);
      offset += got;
      n -= got;
    }
  } catch (...) {
    Truncate(before);
    throw;
  }
}

void FileSection::AppendFrom(const FileSection& src, int64_t pos, int64_t n) {
  if (!src.Holds(pos, n)) src.ReadAt(pos, nullptr, n);  // raises the range error
  if (&src == this) {
    Append(ReadString(pos, n));
    return;
  }
  src.ReadChunks(pos, n, [this](const void* p, size_t k) { Append(p, static_cast<int64_t>(k)); });
}

}  // namespace qv
