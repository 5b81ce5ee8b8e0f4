#include "base/FileUtil.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

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

AtomicFileWriter::AtomicFileWriter(const std::string& target) : target_(target) {
  std::string dir = ExtractFileDir(target);
  if (dir.empty()) dir = ".";
  std::string tmpl = dir + "/.qv" + ExtractFileName(target) + ".XXXXXX";
  std::string buf = tmpl;
  int fd = ::mkstemp(buf.data());
  if (fd < 0) throw EStreamError("Cannot create file " + target + ": " + std::strerror(errno));
  temp_ = buf;
  file_ = ::fdopen(fd, "wb");
  if (!file_) {
    ::close(fd);
    ::unlink(temp_.c_str());
    throw EStreamError("Cannot create file " + target);
  }
}

AtomicFileWriter::~AtomicFileWriter() {
  if (file_) std::fclose(file_);
  if (!committed_ && !temp_.empty()) ::unlink(temp_.c_str());
}

void AtomicFileWriter::Write(const void* data, size_t size) {
  if (size == 0) return;
  if (!file_ || std::fwrite(data, 1, size, file_) != size) throw EStreamError("Cannot write file " + target_);
  written_ += static_cast<int64_t>(size);
}

void AtomicFileWriter::Commit() {
  if (!file_) throw EStreamError("Cannot write file " + target_);
  bool ok = std::fflush(file_) == 0 && ::fsync(::fileno(file_)) == 0;
  // Keep the permissions an ordinary new file would get (mkstemp makes it 0600).
  mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(::fileno(file_), 0666 & ~mask);
  ok = (std::fclose(file_) == 0) && ok;
  file_ = nullptr;
  if (!ok || ::rename(temp_.c_str(), target_.c_str()) != 0) {
    ::unlink(temp_.c_str());
    throw EStreamError("Cannot write file " + target_);
  }
  committed_ = true;
}

}  // namespace qv
