#pragma once
// A section kept in a temporary file: the thumbnail section of a tile table and the work
// files of a build pass. The file is created in the system temporary folder with a name
// starting with "qv" and removed from the folder at once, so it goes away with its handle
// even when the program does not end normally.
//
// Appended bytes wait in a memory buffer (the tail, at most TailBytes()) and go to the file
// in one write when the buffer is full, so a section filled entry by entry costs a system
// call per buffer rather than per entry. Reads take what lies in the file from the file and
// the rest from the buffer; what a reader sees never depends on where the bytes are.
//
// Reads are positioned (pread) and change nothing, so several threads may read the same
// section at the same time. Writing is for one thread, while no one reads.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace qv {

class FileSection {
 public:
  // Creates an empty section in a new temporary file; throws EStreamError when it cannot.
  FileSection();
  ~FileSection();
  FileSection(FileSection&& other) noexcept;
  FileSection& operator=(FileSection&& other) noexcept;
  FileSection(const FileSection&) = delete;
  FileSection& operator=(const FileSection&) = delete;
  void Swap(FileSection& other) noexcept;

  int64_t Size() const { return size_; }
  bool Empty() const { return size_ == 0; }
  bool Holds(int64_t pos, int64_t n) const { return pos >= 0 && n >= 0 && n <= size_ - pos; }

  // A number, unique among all sections of the process, that changes whenever bytes
  // already in the section may change (overwriting, truncating, swapping, moving) and stays
  // when bytes are only appended. What was read at an offset under one generation reads the
  // same for as long as the generation stays.
  uint64_t Generation() const { return generation_; }

  // Reads n bytes at pos; raises EStreamError unless the whole range is inside the section.
  void ReadAt(int64_t pos, void* out, int64_t n) const;
  int32_t ReadI32(int64_t pos) const;
  std::string ReadString(int64_t pos, int64_t n) const;
  // The int32 at each position (in any order), read in position order through a window, so
  // many small reads spread over the section cost a few system calls. Raises the range
  // error of ReadI32 when one lies outside.
  std::vector<int32_t> ReadI32s(const std::vector<int64_t>& positions) const;

  // Writes at pos (at most at Size(), which appends); returns pos.
  int64_t WriteAt(int64_t pos, const void* data, int64_t n);
  void WriteI32(int64_t pos, int32_t v);
  int64_t Append(const void* data, int64_t n) { return WriteAt(size_, data, n); }
  int64_t Append(const std::string& s) { return Append(s.data(), static_cast<int64_t>(s.size())); }
  int64_t AppendI32(int32_t v);

  void Truncate(int64_t n);
  void Clear() { Truncate(0); }

  // Appends n bytes read from an open file descriptor at offset; EStreamError when the file
  // holds fewer (the section is then as it was).
  void AppendFromFile(int fd, int64_t offset, int64_t n);
  // Appends n bytes of another section (or of this one) starting at pos.
  void AppendFrom(const FileSection& src, int64_t pos, int64_t n);
  // Hands [pos, pos + n) to sink in chunks, in order.
  void ReadChunks(int64_t pos, int64_t n, const std::function<void(const void*, size_t)>& sink) const;

  // Bytes of the section already in the file; the rest waits in the tail.
  int64_t BytesInFile() const { return fileSize_; }
  // The tail's size for sections that start buffering from now on (tests make it small);
  // 0 writes every append through at once. 256 KiB by default.
  static void SetTailBytes(int64_t bytes);
  static int64_t TailBytes();

 private:
  void Flush();  // the tail to the file
  void Renew() { generation_ = NextGeneration(); }
  static uint64_t NextGeneration();

  int fd_ = -1;
  int64_t size_ = 0;           // bytes in the section
  int64_t fileSize_ = 0;       // [0, fileSize_) is in the file, whose length this is
  std::vector<uint8_t> tail_;  // [fileSize_, size_); its capacity is the tail's size
  uint64_t generation_ = 0;
};

}  // namespace qv
