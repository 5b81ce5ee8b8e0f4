#include "settings/RecentFiles.h"

#include "base/FileUtil.h"
#include "settings/IniFile.h"

namespace qv {

TRecentKind RecentKindOf(const std::string& fileName) {
  std::string ext = UpperCaseAscii(ExtractFileExt(fileName));
  if (ext == ".QV2") return TRecentKind::Library;
  if (ext == ".QVP") return TRecentKind::Project;
  return TRecentKind::Image;
}

std::string RecentSection(TRecentKind kind) {
  switch (kind) {
    case TRecentKind::Project:
      return "Recentprojects";
    case TRecentKind::Library:
      return "Recentlibrarys";
    case TRecentKind::Image:
      break;
  }
  return "RecentImages";
}

std::string RecentKey(TRecentKind kind, int index) {
  const char* stem = kind == TRecentKind::Project   ? "Recentproject"
                     : kind == TRecentKind::Library ? "Recentlibrary"
                                                    : "RecentImage";
  return stem + std::to_string(index + 1);
}

TRecentList ReadRecentList(const std::string& path, TRecentKind kind) {
  TRecentList list;
  for (int i = 0; i < kRecentCount; ++i) list[i] = IniReadString(path, RecentSection(kind), RecentKey(kind, i), "");
  return list;
}

void WriteRecentList(const std::string& path, TRecentKind kind, const TRecentList& list) {
  for (int i = 0; i < kRecentCount; ++i) IniWriteString(path, RecentSection(kind), RecentKey(kind, i), list[i]);
}

bool MoveToFront(TRecentList& list, const std::string& name) {
  if (list[0] == name) return false;
  int freed = kRecentCount - 1;
  for (int k = 1; k < kRecentCount; ++k) {
    if (list[k] == name) {
      freed = k;
      break;
    }
  }
  for (int k = freed; k > 0; --k) list[k] = list[k - 1];
  list[0] = name;
  return true;
}

bool InsertRecentFile(const std::string& path, const std::string& name, TRecentList& list) {
  TRecentKind kind = RecentKindOf(name);
  list = ReadRecentList(path, kind);
  if (!MoveToFront(list, name)) return false;
  WriteRecentList(path, kind, list);
  return true;
}

}  // namespace qv
