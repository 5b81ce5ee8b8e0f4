#pragma once
// Small file and path helpers shared by the core.
#include <cstdint>
#include <cstdio>
#include <string>

namespace qv {

bool FileExists(const std::string& path);  // a plain file (or a link to one)
bool DirectoryExists(const std::string& path);
int64_t FileSize(const std::string& path);  // -1 when it cannot be read

// Path pieces, with "/" as the separator.
std::string ExtractFileName(const std::string& path);  // after the last "/"
std::string ExtractFileDir(const std::string& path);   // before the last "/" (no trailing "/")
std::string ExtractFileExt(const std::string& path);   // ".ext" of the file name, "" when none
std::string ChangeFileExt(const std::string& path, const std::string& ext);
std::string UpperCaseAscii(std::string s);

// Reads a whole file into a string; throws EStreamError when it cannot.
std::string ReadWholeFile(const std::string& path);

// Writes a file so that a failure never destroys the previous file: the bytes go to a
// temporary file in the target's folder, which is flushed and then renamed over the target.
// Destroying an uncommitted writer removes the temporary file.
class AtomicFileWriter {
 public:
  explicit AtomicFileWriter(const std::string& target);  // throws EStreamError
  ~AtomicFileWriter();
  AtomicFileWriter(const AtomicFileWriter&) = delete;
  AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

  void Write(const void* data, size_t size);  // throws EStreamError
  void Write(const std::string& bytes) { Write(bytes.data(), bytes.size()); }
  int64_t Position() const { return written_; }
  std::FILE* Handle() { return file_; }
  void Commit();  // flush, sync, rename; throws EStreamError

 private:
  std::string target_;
  std::string temp_;
  std::FILE* file_ = nullptr;
  int64_t written_ = 0;
  bool committed_ = false;
};

}  // namespace qv
