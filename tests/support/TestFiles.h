#pragma once
// Helpers for tests that need files: a temporary folder removed at the end of the test.
#include <cstdlib>
#include <filesystem>
#include <string>

namespace qvtest {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

inline TempDir::TempDir() {
  std::string tmpl = (std::filesystem::temp_directory_path() / "qvtestXXXXXX").string();
  char* p = ::mkdtemp(tmpl.data());
  path_ = p ? std::string(p) : std::string();
}

inline TempDir::~TempDir() {
  std::error_code ec;
  if (!path_.empty()) std::filesystem::remove_all(path_, ec);
}

}  // namespace qvtest
