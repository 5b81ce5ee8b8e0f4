#include "base/FileUtil.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <map>
#include <mutex>
#include <random>

#include "base/Errors.h"

namespace qv {

bool FileExists(const std::string& path) {
  struct stat st;
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DirectoryExists(const std::string& path) {
  struct stat st;
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

int64_t FileSize(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return -1;
  return static_cast<int64_t>(st.st_size);
}

std::string ExtractFileName(const std::string& path) {
  auto p = path.find_last_of('/');
  return p == std::string::npos ? path : path.substr(p + 1);
}

std::string ExtractFileDir(const std::string& path) {
  auto p = path.find_last_of('/');
  if (p == std::string::npos) return std::string();
  if (p == 0) return "/";
  return path.substr(0, p);
}

std::string ExtractFileExt(const std::string& path) {
  std::string name = ExtractFileName(path);
  auto p = name.find_last_of('.');
  return p == std::string::npos ? std::string() : name.substr(p);
}

std::string ChangeFileExt(const std::string& path, const std::string& ext) {
  std::string name = ExtractFileName(path);
  auto p = name.find_last_of('.');
  std::string base = p == std::string::npos ? path : path.substr(0, path.size() - (name.size() - p));
  return base + ext;
}

std::string UpperCaseAscii(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
  return s;
}

std::string ReadWholeFile(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) throw EStreamError("Cannot open file " + path);
  std::string out;
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
  bool bad = std::ferror(f);
  std::fclose(f);
  if (bad) throw EStreamError("Cannot read file " + path);
  return out;
}

// ---- Writes, and the faults the tests inject into them ----

namespace {

std::atomic<int> gFault{static_cast<int>(TWriteFault::kNone)};
std::atomic<int64_t> gFaultAt{0};
std::atomic<int64_t> gWrites{0};
std::atomic<int64_t> gCommits{0};
std::atomic<bool> gDiskFull{false};  // after a short write: every later write fails

// Whether the write about to be made fails, and how: the bytes it may still write (size for
// no fault), -1 when it writes nothing.
int64_t FaultForWrite(size_t size) {
  const int64_t n = ++gWrites;
  const auto fault = static_cast<TWriteFault>(gFault.load());
  if (fault == TWriteFault::kNone || fault == TWriteFault::kRenameRefused) return int64_t(size);
  if (gDiskFull) return -1;
  if (n != gFaultAt) return int64_t(size);
  if (fault == TWriteFault::kNoSpace || size < 2) return -1;
  gDiskFull = true;
  return int64_t(size / 2);
}

bool RenameRefused() {
  return ++gCommits == gFaultAt && static_cast<TWriteFault>(gFault.load()) == TWriteFault::kRenameRefused;
}

}  // namespace

void InjectWriteFaultForTesting(TWriteFault fault, int64_t atWrite) {
  gFault = static_cast<int>(TWriteFault::kNone);
  gWrites = 0;
  gCommits = 0;
  gDiskFull = false;
  gFaultAt = atWrite;
  gFault = static_cast<int>(fault);
}

TWriteCounts WriteCountsForTesting() { return TWriteCounts{gWrites.load(), gCommits.load()}; }

namespace {

// Writes size bytes through writeSome(p, n, done), which writes at most n bytes from p after
// the done bytes already written and returns what write(2) returns. A fault injected for the
// tests cuts the write short and reports a full disk, as a real full disk would.
template <typename WriteSome>
bool WriteAll(const void* data, size_t size, WriteSome writeSome) {
  const char* p = static_cast<const char*>(data);
  const int64_t allowed = FaultForWrite(size);
  if (allowed < 0) {
    errno = ENOSPC;
    return false;
  }
  size_t done = 0;
  while (done < size_t(allowed)) {
    const ssize_t n = writeSome(p + done, size_t(allowed) - done, done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = ENOSPC;
      return false;
    }
    done += size_t(n);
  }
  if (size_t(allowed) < size) {
    errno = ENOSPC;
    return false;
  }
  return true;
}

}  // namespace

bool WriteFully(int fd, const void* data, size_t size) {
  return WriteAll(data, size, [fd](const char* p, size_t n, size_t) { return ::write(fd, p, n); });
}

bool WriteFullyAt(int fd, int64_t offset, const void* data, size_t size) {
  return WriteAll(data, size, [fd, offset](const char* p, size_t n, size_t done) {
    return ::pwrite(fd, p, n, static_cast<off_t>(offset + int64_t(done)));
  });
}

// ---- Temporary files ----

namespace {

constexpr char kTempPrefix[] = ".qv";
constexpr size_t kTempSuffixLength = 6;
// A temporary file younger than this is never taken for stale: the moment between its
// creation and its lock (where it is made with a name) is covered.
constexpr time_t kStaleTempAgeSeconds = 2;

bool IsTempSuffixChar(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'); }

// The target name in ".qv" + target + "." + six characters, or "" for another name.
std::string TargetOfTempName(const std::string& name) {
  const size_t prefix = sizeof kTempPrefix - 1;
  if (name.size() < prefix + 1 + 1 + kTempSuffixLength || name.compare(0, prefix, kTempPrefix) != 0) return "";
  const size_t dot = name.size() - kTempSuffixLength - 1;
  if (name[dot] != '.') return "";
  for (size_t i = dot + 1; i < name.size(); ++i)
    if (!IsTempSuffixChar(name[i])) return "";
  return name.substr(prefix, dot - prefix);
}

std::string RandomTempName(const std::string& dir, const std::string& target) {
  static const char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  thread_local std::mt19937_64 rng(std::random_device{}() ^ uint64_t(::getpid()) << 32);
  std::string name = dir + "/" + kTempPrefix + ExtractFileName(target) + ".";
  for (size_t i = 0; i < kTempSuffixLength; ++i) name += kChars[rng() % (sizeof kChars - 1)];
  return name;
}

// Streams on the temporary files: their writes go through WriteFully.
ssize_t CookieWrite(void* cookie, const char* data, size_t size) {
  return WriteFully(*static_cast<int*>(cookie), data, size) ? ssize_t(size) : 0;
}
int CookieSeek(void* cookie, off64_t* offset, int whence) {
  const off_t at = ::lseek(*static_cast<int*>(cookie), static_cast<off_t>(*offset), whence);
  if (at < 0) return -1;
  *offset = at;
  return 0;
}
int CookieClose(void* cookie) {
  delete static_cast<int*>(cookie);  // the writer closes the descriptor itself
  return 0;
}

std::mutex gStreamsMutex;
std::map<std::FILE*, int> gStreams;  // the writers' streams and their descriptors

}  // namespace

int WritableFd(std::FILE* file) {
  const int fd = ::fileno(file);
  if (fd >= 0) return fd;
  std::lock_guard<std::mutex> lock(gStreamsMutex);
  auto it = gStreams.find(file);
  return it == gStreams.end() ? -1 : it->second;
}

int RemoveStaleTempFiles(const std::string& dir, const std::string& targetName) {
  DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
  if (!d) return 0;
  const std::string folder = dir.empty() ? "." : dir;
  int removed = 0;
  while (dirent* e = ::readdir(d)) {
    const std::string name = e->d_name;
    const std::string target = TargetOfTempName(name);
    if (target.empty() || (!targetName.empty() && target != targetName)) continue;
    const std::string path = folder + "/" + name;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) continue;
    struct stat st, now;
    // Ours, old enough, and not locked by the writer that is filling it.
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
        std::time(nullptr) - st.st_mtime >= kStaleTempAgeSeconds && ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
        ::lstat(path.c_str(), &now) == 0 && now.st_dev == st.st_dev && now.st_ino == st.st_ino &&
        ::unlink(path.c_str()) == 0)
      ++removed;
    ::close(fd);
  }
  ::closedir(d);
  return removed;
}

AtomicFileWriter::AtomicFileWriter(const std::string& target) : target_(target) {
  dir_ = ExtractFileDir(target);
  if (dir_.empty()) dir_ = ".";
  // What an earlier save of this file, killed on the way, left behind.
  RemoveStaleTempFiles(dir_, ExtractFileName(target));
  // Nameless while written, where the file system and /proc allow giving it a name later.
  if (::access("/proc/self/fd", X_OK) == 0) fd_ = ::open(dir_.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (fd_ < 0) {
    std::string buf = dir_ + "/" + kTempPrefix + ExtractFileName(target) + ".XXXXXX";
    fd_ = ::mkostemp(buf.data(), O_CLOEXEC);
    if (fd_ < 0) throw EStreamError("Cannot create file " + target + ": " + std::strerror(errno));
    temp_ = buf;
  }
  ::flock(fd_, LOCK_EX);
  cookie_io_functions_t io{nullptr, CookieWrite, CookieSeek, CookieClose};
  int* cookie = new int(fd_);
  file_ = ::fopencookie(cookie, "w", io);
  if (!file_) {
    delete cookie;
    if (!temp_.empty()) ::unlink(temp_.c_str());
    ::close(fd_);
    fd_ = -1;
    throw EStreamError("Cannot create file " + target);
  }
  std::lock_guard<std::mutex> lock(gStreamsMutex);
  gStreams[file_] = fd_;
}

AtomicFileWriter::~AtomicFileWriter() {
  if (file_) {
    {
      std::lock_guard<std::mutex> lock(gStreamsMutex);
      gStreams.erase(file_);
    }
    std::fclose(file_);
  }
  // Removed while still locked, so no one else takes it for stale meanwhile.
  if (!committed_ && !temp_.empty()) ::unlink(temp_.c_str());
  if (fd_ >= 0) ::close(fd_);
}

void AtomicFileWriter::Write(const void* data, size_t size) {
  if (size == 0) return;
  if (!file_ || std::fwrite(data, 1, size, file_) != size) throw EStreamError("Cannot write file " + target_);
  written_ += static_cast<int64_t>(size);
}

void AtomicFileWriter::Commit() {
  if (!file_ || committed_) throw EStreamError("Cannot write file " + target_);
  bool ok = std::fflush(file_) == 0 && !std::ferror(file_) && ::fsync(fd_) == 0;
  // Keep the permissions an ordinary new file would get (the temporary file has 0600).
  mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd_, 0666 & ~mask);
  // A nameless file gets its temporary name now, and keeps the lock until the rename.
  if (ok && temp_.empty()) {
    const std::string self = "/proc/self/fd/" + std::to_string(fd_);
    ok = false;
    for (int attempt = 0; attempt < 100 && !ok; ++attempt) {
      std::string name = RandomTempName(dir_, target_);
      if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
        temp_ = name;
        ok = true;
      } else if (errno != EEXIST) {
        break;
      }
    }
  }
  if (ok && RenameRefused()) {
    errno = EACCES;
    ok = false;
  }
  if (!ok || ::rename(temp_.c_str(), target_.c_str()) != 0) {
    const std::string reason = std::strerror(errno);
    throw EStreamError("Cannot write file " + target_ + ": " + reason);
  }
  committed_ = true;
  // The rename itself survives a crash once the folder is synced too.
  const int dirFd = ::open(dir_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd >= 0) {
    ::fsync(dirFd);
    ::close(dirFd);
  }
}

void CopyFileAtomically(const std::string& from, const std::string& to) {
  std::FILE* in = std::fopen(from.c_str(), "rb");
  if (!in) throw EStreamError("Cannot open file " + from);
  try {
    AtomicFileWriter out(to);
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, in)) > 0) out.Write(buf, n);
    if (std::ferror(in)) throw EStreamError("Cannot read file " + from);
    out.Commit();
  } catch (...) {
    std::fclose(in);
    throw;
  }
  std::fclose(in);
}

}  // namespace qv
