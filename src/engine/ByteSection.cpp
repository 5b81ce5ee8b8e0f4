#include "engine/ByteSection.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

#include "base/ByteIO.h"
#include "base/Errors.h"

namespace qv {

namespace {
std::atomic<uint64_t> gNextVersion{1};
}  // namespace

void ByteSection::Touch() { version_ = gNextVersion.fetch_add(1, std::memory_order_relaxed); }

void ByteSection::Check(int64_t pos, int64_t n) const {
  if (!Holds(pos, n))
    throw EStreamError("Read beyond the end of a section (" + std::to_string(n) + " bytes at " + std::to_string(pos) +
                       " of " + std::to_string(Size()) + ")");
}

ByteSection::~ByteSection() { std::free(bytes_); }

ByteSection::ByteSection(const ByteSection& other) : Position(other.Position) {
  Grow(other.size_);
  if (other.size_ > 0) std::memcpy(bytes_, other.bytes_, other.size_);
  size_ = other.size_;
  Touch();
}

ByteSection::ByteSection(ByteSection&& other) noexcept
    : Position(other.Position),
      bytes_(std::exchange(other.bytes_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      capacity_(std::exchange(other.capacity_, 0)),
      version_(other.version_) {
  other.Position = 0;
  other.Touch();
}

ByteSection& ByteSection::operator=(ByteSection other) noexcept {
  Swap(other);
  return *this;
}

void ByteSection::Grow(size_t capacity) {
  if (capacity <= capacity_) return;
  const size_t wanted = std::max({capacity, capacity_ * 2, size_t(64)});
  void* p = std::realloc(bytes_, wanted);
  if (!p) throw std::bad_alloc();
  bytes_ = static_cast<uint8_t*>(p);
  capacity_ = wanted;
}

void ByteSection::Truncate(int64_t n) {
  if (n < 0 || n > Size()) throw EStreamError("Section cannot be cut to " + std::to_string(n) + " bytes");
  size_ = static_cast<size_t>(n);
  if (Position > n) Position = n;
  Touch();
}

uint8_t* ByteSection::Allocate(int64_t n) {
  if (n < 0) throw EStreamError("Section cannot hold " + std::to_string(n) + " bytes");
  if (static_cast<size_t>(n) > capacity_) {
    // The old bytes are not kept: a fresh block of the exact size.
    std::free(bytes_);
    bytes_ = nullptr;
    size_ = capacity_ = 0;
    void* p = std::malloc(std::max<size_t>(static_cast<size_t>(n), 1));
    if (!p) throw std::bad_alloc();
    bytes_ = static_cast<uint8_t*>(p);
    capacity_ = std::max<size_t>(static_cast<size_t>(n), 1);
  }
  size_ = static_cast<size_t>(n);
  Position = 0;
  Touch();
  return bytes_;
}

void ByteSection::Assign(const void* data, int64_t n) {
  uint8_t* p = Allocate(n);
  if (n > 0) std::memcpy(p, data, static_cast<size_t>(n));
}

void ByteSection::Swap(ByteSection& other) noexcept {
  std::swap(bytes_, other.bytes_);
  std::swap(size_, other.size_);
  std::swap(capacity_, other.capacity_);
  std::swap(Position, other.Position);
  Touch();
  other.Touch();
}

int64_t ByteSection::Append(const void* data, int64_t n) {
  int64_t at = Size();
  if (n > 0) {
    Grow(size_ + static_cast<size_t>(n));
    std::memcpy(bytes_ + size_, data, static_cast<size_t>(n));
    size_ += static_cast<size_t>(n);
  }
  Touch();
  return at;
}

int64_t ByteSection::AppendU16(uint16_t v) {
  uint8_t b[2];
  PutLE16(b, v);
  return Append(b, 2);
}

int64_t ByteSection::AppendI32(int32_t v) {
  uint8_t b[4];
  PutLE32(b, static_cast<uint32_t>(v));
  return Append(b, 4);
}

int64_t ByteSection::AppendF64(double v) {
  uint8_t b[8];
  PutF64(b, v);
  return Append(b, 8);
}

void ByteSection::ReadAt(int64_t pos, void* out, int64_t n) const {
  Check(pos, n);
  if (n > 0) std::memcpy(out, bytes_ + pos, static_cast<size_t>(n));
}

uint8_t ByteSection::ReadU8(int64_t pos) const {
  Check(pos, 1);
  return bytes_[pos];
}

uint16_t ByteSection::ReadU16(int64_t pos) const {
  Check(pos, 2);
  return GetLE16(bytes_ + pos);
}

int32_t ByteSection::ReadI32(int64_t pos) const {
  Check(pos, 4);
  return GetLE32s(bytes_ + pos);
}

double ByteSection::ReadF64(int64_t pos) const {
  Check(pos, 8);
  return GetF64(bytes_ + pos);
}

std::string ByteSection::ReadString(int64_t pos, int64_t n) const {
  Check(pos, n);
  return std::string(reinterpret_cast<const char*>(bytes_ + pos), static_cast<size_t>(n));
}

const uint8_t* ByteSection::Span(int64_t pos, int64_t n) const {
  Check(pos, n);
  return bytes_ + pos;
}

void ByteSection::WriteAt(int64_t pos, const void* data, int64_t n) {
  if (pos < 0 || pos > Size() || n < 0)
    throw EStreamError("Write outside a section (" + std::to_string(n) + " bytes at " + std::to_string(pos) + " of " +
                       std::to_string(Size()) + ")");
  if (n > Size() - pos) {
    Grow(static_cast<size_t>(pos + n));
    size_ = static_cast<size_t>(pos + n);
  }
  if (n > 0) std::memcpy(bytes_ + pos, data, static_cast<size_t>(n));
  Touch();
}

void ByteSection::WriteU16(int64_t pos, uint16_t v) {
  uint8_t b[2];
  PutLE16(b, v);
  WriteAt(pos, b, 2);
}

void ByteSection::WriteI32(int64_t pos, int32_t v) {
  uint8_t b[4];
  PutLE32(b, static_cast<uint32_t>(v));
  WriteAt(pos, b, 4);
}

void ByteSection::WriteF64(int64_t pos, double v) {
  uint8_t b[8];
  PutF64(b, v);
  WriteAt(pos, b, 8);
}

}  // namespace qv
