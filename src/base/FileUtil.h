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

// Writes all bytes at the file position, or at offset; false (errno set) when the file
// takes fewer. The writes of the files AtomicFileWriter makes go through these.
bool WriteFully(int fd, const void* data, size_t size);
bool WriteFullyAt(int fd, int64_t offset, const void* data, size_t size);

// Writes a file so that a failure never destroys the previous file: the bytes go to a
// temporary file in the target's folder, which is flushed and then renamed over the target.
// Destroying an uncommitted writer removes the temporary file.
//
// The temporary file has no name while it is written where the file system allows it (a
// writer killed meanwhile leaves nothing behind), and is named ".qv" + the target's name +
// "." + six characters for the moment before the rename, or all along elsewhere. The writer
// holds an advisory lock (flock) on it for its whole life, which is how RemoveStaleTempFiles
// tells a file still being written from one left by a writer that is gone.
class AtomicFileWriter {
 public:
  explicit AtomicFileWriter(const std::string& target);  // throws EStreamError
  ~AtomicFileWriter();
  AtomicFileWriter(const AtomicFileWriter&) = delete;
  AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

  void Write(const void* data, size_t size);  // throws EStreamError
  void Write(const std::string& bytes) { Write(bytes.data(), bytes.size()); }
  int64_t Position() const { return written_; }
  // A stream on the temporary file for writers that seek; WritableFd of it is the file's
  // descriptor for positioned writes (WriteFullyAt), truncation and allocation.
  std::FILE* Handle() { return file_; }
  void Commit();  // flush, sync, rename; throws EStreamError

 private:
  std::string target_;
  std::string dir_;
  std::string temp_;  // the temporary file's name; empty while it has none
  int fd_ = -1;
  std::FILE* file_ = nullptr;
  int64_t written_ = 0;
  bool committed_ = false;
};

// Copies a file through an AtomicFileWriter: the file under the name to is either the
// previous one or the complete copy. Throws EStreamError.
void CopyFileAtomically(const std::string& from, const std::string& to);

// The descriptor of a stream: fileno, or the file under an AtomicFileWriter's Handle().
int WritableFd(std::FILE* file);

// Removes what saves that never finished (the program killed, the machine gone down) left in
// a folder: files named as AtomicFileWriter names its temporary files, of this user, at least
// a few seconds old, on which no process holds the writer's lock. With a target name, only
// that target's. Returns how many were removed; never throws.
int RemoveStaleTempFiles(const std::string& dir, const std::string& targetName = std::string());

// Fault injection for the tests of the writers: makes the atWrite-th write (1-based, counted
// over every AtomicFileWriter of the process from this call on) fail, or the atWrite-th
// commit's rename. kShortWrite writes half of that write's bytes, after which the disk is
// full; kNoSpace fails it with ENOSPC at once.
enum class TWriteFault { kNone, kShortWrite, kNoSpace, kRenameRefused };
void InjectWriteFaultForTesting(TWriteFault fault, int64_t atWrite = 1);
// The writes and commits counted since the last InjectWriteFaultForTesting: the points at
// which a run of a writer can be made to fail.
struct TWriteCounts {
  int64_t Writes = 0;
  int64_t Commits = 0;
};
TWriteCounts WriteCountsForTesting();

}  // namespace qv
