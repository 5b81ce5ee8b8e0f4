// The recent-file lists: which list a file belongs on, the move-to-front rules and the keys
// they are kept under.
#include "settings/RecentFiles.h"

#include <gtest/gtest.h>

#include "base/FileUtil.h"
#include "settings/IniFile.h"
#include "support/TestFiles.h"

namespace qv {
namespace {

TEST(RecentFiles, ListChosenByExtensionInAnyCase) {
  EXPECT_EQ(RecentKindOf("/a/b.qvp"), TRecentKind::Project);
  EXPECT_EQ(RecentKindOf("/a/B.QVP"), TRecentKind::Project);
  EXPECT_EQ(RecentKindOf("/a/b.Qv2"), TRecentKind::Library);
  EXPECT_EQ(RecentKindOf("/a/b.jpg"), TRecentKind::Image);
  EXPECT_EQ(RecentKindOf("/a.qvp/b"), TRecentKind::Image);  // the folder's dot is not an extension
}

TEST(RecentFiles, SectionAndKeyNames) {
  EXPECT_EQ(RecentSection(TRecentKind::Project), "Recentprojects");
  EXPECT_EQ(RecentSection(TRecentKind::Library), "Recentlibrarys");
  EXPECT_EQ(RecentSection(TRecentKind::Image), "RecentImages");
  EXPECT_EQ(RecentKey(TRecentKind::Project, 0), "Recentproject1");
  EXPECT_EQ(RecentKey(TRecentKind::Library, 4), "Recentlibrary5");
  EXPECT_EQ(RecentKey(TRecentKind::Image, 2), "RecentImage3");
}

TEST(RecentFiles, MoveToFront) {
  TRecentList list = {"a", "b", "c", "d", "e"};
  EXPECT_FALSE(MoveToFront(list, "a"));  // already first: unchanged
  EXPECT_EQ(list, (TRecentList{"a", "b", "c", "d", "e"}));
  EXPECT_TRUE(MoveToFront(list, "c"));  // taken out where it stands, the others keep their order
  EXPECT_EQ(list, (TRecentList{"c", "a", "b", "d", "e"}));
  EXPECT_TRUE(MoveToFront(list, "f"));  // a new name drops the last entry
  EXPECT_EQ(list, (TRecentList{"f", "c", "a", "b", "d"}));
  EXPECT_TRUE(MoveToFront(list, "F"));  // names are compared exactly
  EXPECT_EQ(list, (TRecentList{"F", "f", "c", "a", "b"}));

  TRecentList partial = {"x", "", "", "", ""};
  EXPECT_TRUE(MoveToFront(partial, "y"));
  EXPECT_EQ(partial, (TRecentList{"y", "x", "", "", ""}));
}

TEST(RecentFiles, InsertWritesTheListOnlyWhenItChanges) {
  qvtest::TempDir dir;
  std::string ini = dir.File("qv003.ini");
  TRecentList list;
  for (int i = 1; i <= 6; ++i) EXPECT_TRUE(InsertRecentFile(ini, "/p/" + std::to_string(i) + ".qvp", list));
  EXPECT_EQ(list, (TRecentList{"/p/6.qvp", "/p/5.qvp", "/p/4.qvp", "/p/3.qvp", "/p/2.qvp"}));
  EXPECT_EQ(ReadRecentList(ini, TRecentKind::Project), list);
  EXPECT_EQ(IniReadString(ini, "Recentprojects", "Recentproject5", "?"), "/p/2.qvp");

  // The same project again: nothing is written (a value put there by hand stays).
  IniWriteString(ini, "Recentprojects", "Recentproject5", "kept");
  EXPECT_FALSE(InsertRecentFile(ini, "/p/6.qvp", list));
  EXPECT_EQ(IniReadString(ini, "Recentprojects", "Recentproject5", "?"), "kept");

  // Libraries and pictures go on their own lists; empty entries are written as empty values.
  EXPECT_TRUE(InsertRecentFile(ini, "/l/lib.QV2", list));
  EXPECT_TRUE(InsertRecentFile(ini, "/s/pic.jpg", list));
  EXPECT_EQ(ReadRecentList(ini, TRecentKind::Library), (TRecentList{"/l/lib.QV2", "", "", "", ""}));
  EXPECT_EQ(ReadRecentList(ini, TRecentKind::Image), (TRecentList{"/s/pic.jpg", "", "", "", ""}));
  EXPECT_EQ(IniReadString(ini, "RecentImages", "RecentImage2", "missing"), "");
}

}  // namespace
}  // namespace qv
