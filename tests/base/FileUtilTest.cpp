#include "base/FileUtil.h"

#include <gtest/gtest.h>

#include "base/Errors.h"
#include "support/TestFiles.h"

namespace qv {

TEST(FileUtil, PathPieces) {
  EXPECT_EQ(ExtractFileName("/a/b/c.jpg"), "c.jpg");
  EXPECT_EQ(ExtractFileName("c.jpg"), "c.jpg");
  EXPECT_EQ(ExtractFileDir("/a/b/c.jpg"), "/a/b");
  EXPECT_EQ(ExtractFileExt("/a.b/c"), "");
  EXPECT_EQ(ExtractFileExt("/a/b/c.tar.JPG"), ".JPG");
  EXPECT_EQ(ChangeFileExt("/a.b/c", ".bmp"), "/a.b/c.bmp");
  EXPECT_EQ(ChangeFileExt("/a/c.jpeg", ".html"), "/a/c.html");
  EXPECT_EQ(UpperCaseAscii("a.jpG"), "A.JPG");
}

TEST(FileUtil, AtomicWriterKeepsOldFileUntilCommit) {
  qvtest::TempDir dir;
  std::string target = dir.File("x.bin");
  {
    AtomicFileWriter w(target);
    w.Write(std::string("first"));
    w.Commit();
  }
  EXPECT_EQ(ReadWholeFile(target), "first");
  {
    AtomicFileWriter w(target);
    w.Write(std::string("second, never committed"));
  }
  EXPECT_EQ(ReadWholeFile(target), "first");
  EXPECT_THROW(AtomicFileWriter(dir.File("missing/folder/y.bin")), EStreamError);
}

}  // namespace qv
