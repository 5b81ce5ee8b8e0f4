#include "engine/FolderScan.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <set>
#include <utility>

#include "base/Errors.h"
#include "base/FileUtil.h"

namespace qv {
namespace {

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (!folder.empty() && folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

std::string CanonicalPath(const std::string& path) {
  char buf[PATH_MAX];
  return ::realpath(path.c_str(), buf) ? std::string(buf) : path;
}

bool IsInside(const std::string& path, const std::string& folder) {
  return !folder.empty() && path.compare(0, folder.size(), folder) == 0 &&
         (path.size() == folder.size() || path[folder.size()] == '/');
}

std::string UserTrashFolder() {
  const char* data = std::getenv("XDG_DATA_HOME");
  if (data && *data) return std::string(data) + "/Trash";
  const char* home = std::getenv("HOME");
  if (home && *home) return std::string(home) + "/.local/share/Trash";
  return std::string();
}

class Scanner {
 public:
  Scanner(const std::string& patterns, bool subfolders) : patterns_(patterns), subfolders_(subfolders) {}

  void Visit(const std::string& folder) {
    struct stat st;
    if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return;
    if (!visited_.insert({st.st_dev, st.st_ino}).second) return;  // a link back up the tree
    if (IsTrashFolder(folder)) return;

    std::vector<std::string> files, folders;
    if (DIR* dir = ::opendir(folder.c_str())) {
      while (dirent* e = ::readdir(dir)) {
        std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        std::string path = JoinPath(folder, name);
        struct stat es;
        if (::stat(path.c_str(), &es) != 0) continue;
        if (S_ISREG(es.st_mode))
          files.push_back(name);
        else if (S_ISDIR(es.st_mode))
          folders.push_back(name);
      }
      ::closedir(dir);
    }
    std::sort(files.begin(), files.end());
    std::sort(folders.begin(), folders.end());

    if (folder.find("RECYCLED") == std::string::npos)
      for (const auto& name : files)
        if (ExtensionAccepted(name, patterns_)) out.push_back(JoinPath(folder, name));
    if (subfolders_)
      for (const auto& name : folders) Visit(JoinPath(folder, name));
  }

  std::vector<std::string> out;

 private:
  const std::string& patterns_;
  bool subfolders_;
  std::set<std::pair<dev_t, ino_t>> visited_;
};

}  // namespace

const std::vector<TLibraryPictureType>& LibraryPictureTypes() {
  static const std::vector<TLibraryPictureType> types = {
      {"BMP", "*.BMP"},       {"JPG", "*.JPG*.JPEG"}, {"GIF", "*.GIF"}, {"ICO", "*.ICO"},
      {"TIF", "*.TIF*.TIFF"}, {"PCD", "*.PCD"},       {"PCX", "*.PCX"}, {"PSD", "*.PSD"},
      {"RLE", "*.RLE"},       {"DIB", "*.DIB"},       {"PNG", "*.PNG"},
  };
  return types;
}

std::string PictureExtensionsFor(const std::vector<std::string>& typeNames) {
  std::set<std::string> wanted;
  for (const auto& n : typeNames) {
    std::string u = UpperCaseAscii(n);
    bool known = false;
    for (const auto& t : LibraryPictureTypes()) known = known || u == t.Name;
    if (!known) throw EQuivara("Unknown picture type \"" + n + "\"");
    wanted.insert(u);
  }
  std::string patterns;
  for (const auto& t : LibraryPictureTypes())
    if (wanted.count(t.Name)) patterns += t.Pattern;
  return patterns;
}

bool ExtensionAccepted(const std::string& fileName, const std::string& patterns) {
  std::string ext = UpperCaseAscii(ExtractFileExt(fileName));
  return !ext.empty() && patterns.find(ext) != std::string::npos;
}

bool IsTrashFolder(const std::string& folder) {
  size_t start = 0;
  while (start <= folder.size()) {
    size_t end = folder.find('/', start);
    if (end == std::string::npos) end = folder.size();
    if (folder.compare(start, 6, ".Trash") == 0 && end - start >= 6) return true;
    start = end + 1;
  }
  std::string trash = UserTrashFolder();
  return !trash.empty() && IsInside(CanonicalPath(folder), CanonicalPath(trash));
}

std::vector<std::string> ListPictureFilesIn(const std::string& folder, const std::string& patterns,
                                            bool includeSubfolders) {
  Scanner s(patterns, includeSubfolders);
  s.Visit(folder);
  return std::move(s.out);
}

std::vector<std::string> ListPictureFiles(const TScanSettings& scan) {
  return ListPictureFilesIn(scan.RootFolder, scan.PictureExtensions, scan.IncludeSubfolders);
}

}  // namespace qv
