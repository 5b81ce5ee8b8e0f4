#pragma once
// A section kept in a temporary file: the thumbnail section of a tile table and the work
// files of a build pass. The file is created in the system temporary folder with a name
// starting with "qv" and removed from the folder at once, so it goes away with its handle
// even when the program does not end normally.
//
// Reads and writes are positioned (pread/pwrite) and never move a shared file position, so
// several threads may read the same section at the same time. Writing is for one thread.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

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

  // Reads n bytes at pos; raises EStreamError unless the whole range is inside the section.
  void ReadAt(int64_t pos, void* out, int64_t n) const;
  int32_t ReadI32(int64_t pos) const;
  std::string ReadString(int64_t pos, int64_t n) const;

  // Writes at pos (at most at Size(), which appends); returns pos.
  int64_t WriteAt(int64_t pos, const void* data, int64_t n);
  void WriteI32(int64_t pos, int32_t v);
  int64_t Append(const void* data, int64_t n) { return WriteAt(size_, data, n); }
  int64_t Append(const std::string& s) { return Append(s.data(), static_cast<int64_t>(s.size())); }
  int64_t AppendI32(int32_t v);

  void Truncate(int64_t n);
  void Clear() { Truncate(0); }

  // Appends n bytes read from an open file descriptor at offset; EStreamError when the file
  // holds fewer.
  void AppendFromFile(int fd, int64_t offset, int64_t n);
  // Appends n bytes of another section starting at pos.
  void AppendFrom(const FileSection& src, int64_t pos, int64_t n);
  // Hands [pos, pos + n) to sink in chunks, in order.
  void ReadChunks(int64_t pos, int64_t n, const std::function<void(const void*, size_t)>& sink) const;

 private:
  int fd_ = -1;
  int64_t size_ = 0;
};

}  // namespace qv
