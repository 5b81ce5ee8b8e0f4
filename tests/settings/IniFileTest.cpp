#include "settings/IniFile.h"

#include <gtest/gtest.h>

#include "base/Errors.h"
#include "base/FileUtil.h"
#include "support/TestFiles.h"

namespace qv {

TEST(IniFile, MissingFileSectionOrKeyGivesTheDefault) {
  qvtest::TempDir dir;
  std::string f = dir.File("qv003.ini");
  EXPECT_EQ(IniReadString(f, "StartUp", "OpenOnStart", "No"), "No");
  EXPECT_EQ(IniReadInt(f, "Render", "Radius", 6), 6);
  IniWriteInt(f, "Render", "Radius", 3);
  EXPECT_EQ(IniReadInt(f, "Render", "Repetition", 0), 0);
  EXPECT_EQ(IniReadString(f, "Other", "Radius", "x"), "x");
}

TEST(IniFile, NamesAreComparedWithoutCase) {
  qvtest::TempDir dir;
  std::string f = dir.File("qv003.ini");
  IniWriteString(f, "LayOut", "MainForm", "146,166,567,577");
  EXPECT_EQ(IniReadString(f, "Layout", "mainform", ""), "146,166,567,577");
  IniWriteString(f, "LAYOUT", "MAINFORM", "1,2,3,4");  // replaces, no second section
  EXPECT_EQ(IniReadString(f, "LayOut", "MainForm", ""), "1,2,3,4");
  std::string text = ReadWholeFile(f);
  EXPECT_EQ(text.find("[LAYOUT]"), std::string::npos);
  EXPECT_EQ(text.find("1,2,3,4"), text.rfind("1,2,3,4"));
}

TEST(IniFile, ValuesAndTypes) {
  qvtest::TempDir dir;
  std::string f = dir.File("qv003.ini");
  IniWriteString(f, "A", "Empty", "");
  IniWriteString(f, "A", "Two", "2");
  IniWriteString(f, "A", "Word", "abc");
  IniWriteBool(f, "A", "On", true);
  IniWriteBool(f, "A", "Off", false);
  IniWriteInt(f, "B", "Neg", -42);
  IniWriteString(f, "B", "Path", "/home/u/My Pictures/a=b.jpg");
  EXPECT_EQ(IniReadString(f, "A", "Empty", "def"), "");  // present but empty
  EXPECT_EQ(IniReadInt(f, "A", "Empty", 5), 5);
  EXPECT_TRUE(IniReadBool(f, "A", "Two", false));  // any integer but 0 is true
  EXPECT_EQ(IniReadInt(f, "A", "Word", 7), 7);     // not a number: the default
  EXPECT_FALSE(IniReadBool(f, "A", "Word", false));
  EXPECT_TRUE(IniReadBool(f, "A", "Word", true));
  EXPECT_TRUE(IniReadBool(f, "A", "On", false));
  EXPECT_FALSE(IniReadBool(f, "A", "Off", true));
  EXPECT_EQ(IniReadInt(f, "B", "Neg", 0), -42);
  EXPECT_EQ(IniReadString(f, "B", "Path", ""), "/home/u/My Pictures/a=b.jpg");
  // New keys join their own section, other sections stay intact.
  IniWriteInt(f, "A", "Late", 9);
  EXPECT_EQ(IniReadInt(f, "A", "Late", 0), 9);
  EXPECT_EQ(IniReadInt(f, "B", "Neg", 0), -42);
  std::string text = ReadWholeFile(f);
  EXPECT_LT(text.find("Late=9"), text.find("[B]"));
}

TEST(IniFile, ReadsFilesWrittenElsewhere) {
  qvtest::TempDir dir;
  std::string f = dir.File("qv003.ini");
  {
    AtomicFileWriter w(f);
    w.Write(
        std::string("; comment\r\n[StartUp]\r\n  OpenOnStart = Project \r\nWizardOnStart=0\r\n"
                    "[Output]\r\nBorderColor=\"255\"\r\n"));
    w.Commit();
  }
  EXPECT_EQ(IniReadString(f, "startup", "openonstart", ""), "Project");
  EXPECT_FALSE(IniReadBool(f, "StartUp", "WizardOnStart", true));
  EXPECT_EQ(IniReadInt(f, "Output", "BorderColor", 0), 255);
}

TEST(IniFile, WindowBoundsText) {
  EXPECT_EQ(FormatWindowBounds({146, 166, 567, 577}), "146,166,567,577");
  EXPECT_EQ(ParseWindowBounds("146,166,567,577"), (Rect{146, 166, 567, 577}));
  EXPECT_FALSE(ParseWindowBounds(""));
  EXPECT_FALSE(ParseWindowBounds("10,20,5,40"));  // Right < Left changes nothing
  EXPECT_FALSE(ParseWindowBounds("10,20,30"));    // fewer than four numbers
  EXPECT_FALSE(ParseWindowBounds("10,,30,40"));   // an empty item stops the reading
  EXPECT_EQ(ParseWindowBounds("1,2,3,4,junk"), (Rect{1, 2, 3, 4}));
  EXPECT_THROW(ParseWindowBounds("1,x,3,4"), EQuivara);
}

}  // namespace qv
