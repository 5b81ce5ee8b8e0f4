#include "engine/ByteSection.h"

#include <atomic>
#include <cstring>

#include "base/ByteIO.h"
#include "base/Errors.h"

namespace qv {

namespace {
std::atomic<uint64_t> gNextVersion{1};
}  // namespace

void ByteSection::Touch() { version_ = gNextVersion.fetch_add(1, std::memory_order_relaxed); }

void ByteSection::Check(int64_t pos, int64_t n) const {
  if (!Holds(pos, n))
    throw EStreamError("Read beyond the end of a section (" + std::to_string(n) + " bytes at " +
                       std::to_string(pos) + " of " + std::to_string(Size()) + ")");
}

void ByteSection::Truncate(int64_t n) {
  if (n < 0 || n > Size()) throw EStreamError("Section cannot be cut to " + std::to_string(n) + " bytes");
  bytes_.resize(static_cast<size_t>(n));
  if (Position > n) Position = n;
  Touch();
}

void ByteSection::Assign(const void* data, int64_t n) {
  bytes_.assign(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + n);
  Position = 0;
  Touch();
}

void ByteSection::Swap(ByteSection& other) noexcept {
  bytes_.swap(other.bytes_);
  std::swap(Position, other.Position);
  Touch();
  other.Touch();
}

int64_t ByteSection::Append(const void* data, int64_t n) {
  int64_t at = Size();
  if (n > 0) bytes_.insert(bytes_.end(), static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + n);
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
  if (n > 0) std::memcpy(out, bytes_.data() + pos, static_cast<size_t>(n));
}

uint8_t ByteSection::ReadU8(int64_t pos) const {
  Check(pos, 1);
  return bytes_[static_cast<size_t>(pos)];
}

uint16_t ByteSection::ReadU16(int64_t pos) const {
  Check(pos, 2);
  return GetLE16(bytes_.data() + pos);
}

int32_t ByteSection::ReadI32(int64_t pos) const {
  Check(pos, 4);
  return GetLE32s(bytes_.data() + pos);
}

double ByteSection::ReadF64(int64_t pos) const {
  Check(pos, 8);
  return GetF64(bytes_.data() + pos);
}

std::string ByteSection::ReadString(int64_t pos, int64_t n) const {
  Check(pos, n);
  return std::string(reinterpret_cast<const char*>(bytes_.data() + pos), static_cast<size_t>(n));
}

const uint8_t* ByteSection::Span(int64_t pos, int64_t n) const {
  Check(pos, n);
  return bytes_.data() + pos;
}

void ByteSection::WriteAt(int64_t pos, const void* data, int64_t n) {
  if (pos < 0 || pos > Size() || n < 0)
    throw EStreamError("Write outside a section (" + std::to_string(n) + " bytes at " + std::to_string(pos) +
                       " of " + std::to_string(Size()) + ")");
  if (n > Size() - pos) bytes_.resize(static_cast<size_t>(pos + n));
  if (n > 0) std::memcpy(bytes_.data() + pos, data, static_cast<size_t>(n));
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
