#pragma once
// A growable in-memory byte buffer with positioned, bounds-checked little-endian reads and
// writes. The text, data and order sections of a tile table are held in these.
//
// Every read checks that the whole range lies inside the buffer and raises EStreamError
// otherwise; a write may overwrite bytes or extend the buffer at its end, never leave a gap.
// The bytes live in one block from the C allocator, which a growing section enlarges in
// place or by moving its pages rather than copying them.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

namespace qv {

class ByteSection {
 public:
  ByteSection() = default;
  ~ByteSection();
  ByteSection(const ByteSection& other);
  ByteSection(ByteSection&& other) noexcept;
  ByteSection& operator=(ByteSection other) noexcept;

  int64_t Size() const { return static_cast<int64_t>(size_); }
  bool Empty() const { return size_ == 0; }
  const uint8_t* Data() const { return bytes_; }
  // Writable bytes: counts as a change of the content (see Version).
  uint8_t* Data() {
    Touch();
    return bytes_;
  }

  // A number that changes whenever the content may have changed, unique among all sections
  // of the program, so a copy made from a section can tell whether it is still current.
  uint64_t Version() const { return version_; }

  void Clear() {
    size_ = 0;
    Position = 0;
    Touch();
  }
  // Cuts the buffer to n bytes (n <= Size()).
  void Truncate(int64_t n);
  void Reserve(int64_t n) { Grow(static_cast<size_t>(std::max<int64_t>(n, 0))); }
  void Assign(const void* data, int64_t n);
  // Makes the section n bytes long and returns them for the caller to fill; their content
  // is unspecified until then. Position goes to 0.
  uint8_t* Allocate(int64_t n);
  void Swap(ByteSection& other) noexcept;

  // True when [pos, pos + n) lies inside the buffer.
  bool Holds(int64_t pos, int64_t n) const { return pos >= 0 && n >= 0 && n <= Size() - pos; }

  // Appends and returns the offset the bytes were written at.
  int64_t Append(const void* data, int64_t n);
  int64_t Append(const std::string& s) { return Append(s.data(), static_cast<int64_t>(s.size())); }
  int64_t AppendU8(uint8_t v) { return Append(&v, 1); }
  int64_t AppendU16(uint16_t v);
  int64_t AppendI32(int32_t v);
  int64_t AppendF64(double v);

  void ReadAt(int64_t pos, void* out, int64_t n) const;
  uint8_t ReadU8(int64_t pos) const;
  uint16_t ReadU16(int64_t pos) const;
  int32_t ReadI32(int64_t pos) const;
  double ReadF64(int64_t pos) const;
  std::string ReadString(int64_t pos, int64_t n) const;
  // Pointer to n readable bytes at pos (checked); valid until the buffer changes.
  const uint8_t* Span(int64_t pos, int64_t n) const;

  // Writes at pos; pos may equal Size() (append) but not go beyond it.
  void WriteAt(int64_t pos, const void* data, int64_t n);
  void WriteU8(int64_t pos, uint8_t v) { WriteAt(pos, &v, 1); }
  void WriteU16(int64_t pos, uint16_t v);
  void WriteI32(int64_t pos, int32_t v);
  void WriteF64(int64_t pos, double v);

  // A current position for code that walks a section as a stream; the positioned calls
  // above neither read nor move it.
  int64_t Position = 0;

 private:
  void Check(int64_t pos, int64_t n) const;
  void Touch();
  void Grow(size_t capacity);  // capacity at least this (throws std::bad_alloc)
  uint8_t* bytes_ = nullptr;
  size_t size_ = 0;
  size_t capacity_ = 0;
  uint64_t version_ = 0;
};

}  // namespace qv
