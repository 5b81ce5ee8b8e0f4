// The output setup's keys in section "Output": their names, defaults and checks, and the
// blend values kept only while "RememberBlendSetting" is set.
#include "settings/OutputSettings.h"

#include <gtest/gtest.h>

#include "settings/IniFile.h"
#include "support/TestFiles.h"

namespace qv {
namespace {

TEST(OutputSettings, DefaultsOfAFileWithoutTheKeys) {
  qvtest::TempDir dir;
  const TOutputSettings s = ReadOutputSettings(dir.File("none.ini"));
  EXPECT_EQ(s.OutputWidth, 0);
  EXPECT_EQ(s.Resolution, 150);
  EXPECT_EQ(s.Units, kUnitsPixels);
  EXPECT_FALSE(s.Borders);
  EXPECT_FALSE(s.Grid);
  EXPECT_FALSE(s.DetailedBlend);
  EXPECT_TRUE(s.UseThumb);
  EXPECT_TRUE(s.SharpenTiles);
  EXPECT_TRUE(s.DirectToDisk);
  EXPECT_TRUE(s.OpenAfterSave);
  EXPECT_EQ(s.FileFormat, kTypeJpeg);
}

// Every value goes under its own key and comes back; the blend values only while the start-up
// key says to remember them.
TEST(OutputSettings, EveryKeyIsWrittenUnderItsNameAndReadBack) {
  qvtest::TempDir dir;
  const std::string f = dir.File("qv003.ini");
  TOutputSettings s;
  s.OutputWidth = 1001;
  s.OutputHeight = 1002;
  s.BorderLeft = 11;
  s.BorderTop = 12;
  s.BorderRight = 13;
  s.BorderBottom = 14;
  s.Borders = true;
  s.BorderColor = 0x123456;
  s.Resolution = 300;
  s.Units = kUnitsCm;
  s.Grid = true;
  s.GridColor = 0x654321;
  s.ColorCorrection = 40;
  s.Blending = 30;
  s.DetailedBlend = true;
  s.UseThumb = false;
  s.SharpenTiles = false;
  s.DirectToDisk = false;
  s.OpenAfterSave = false;
  s.FileFormat = kTypeHtml;
  WriteOutputSettings(f, s);
  const std::pair<const char*, int> ints[] = {
      {"MosaicWidth", 1001}, {"MosaicHeight", 1002},    {"BorderLeft", 11},     {"BorderTop", 12},
      {"BorderRight", 13},   {"BorderBottom", 14},      {"DPI", 300},           {"Units", 2},
      {"FileFormat", 6},     {"BorderColor", 0x123456}, {"GridColor", 0x654321}};
  for (const auto& [key, value] : ints) EXPECT_EQ(IniReadInt(f, "Output", key, -1), value) << key;
  const std::pair<const char*, bool> bools[] = {
      {"Borders", true},       {"Grid", true},          {"DetailedBlend", true}, {"UseThumb", false},
      {"SharpenTiles", false}, {"DirectToDisk", false}, {"OpenAfterSave", false}};
  for (const auto& [key, value] : bools) EXPECT_EQ(IniReadBool(f, "Output", key, !value), value) << key;
  EXPECT_EQ(IniReadInt(f, "Output", "Blending", -1), -1);  // not remembered
  TOutputSettings back = ReadOutputSettings(f);
  EXPECT_EQ(back.GridColor, 0x654321u);
  EXPECT_EQ(back.Units, kUnitsCm);
  EXPECT_EQ(back.Blending, 0);

  IniWriteBool(f, "StartUp", "RememberBlendSetting", true);
  WriteOutputSettings(f, s);
  back = ReadOutputSettings(f);
  EXPECT_EQ(back.Blending, 30);
  EXPECT_EQ(back.ColorCorrection, 40);
}

TEST(OutputSettings, ValuesOutOfRangeAreMended) {
  qvtest::TempDir dir;
  const std::string f = dir.File("qv003.ini");
  IniWriteInt(f, "Output", "Units", 7);
  IniWriteInt(f, "Output", "FileFormat", 9);
  IniWriteInt(f, "Output", "BorderColor", -1);
  const TOutputSettings s = ReadOutputSettings(f);
  EXPECT_EQ(s.Units, kUnitsPixels);
  EXPECT_EQ(s.FileFormat, kTypeJpeg);
  EXPECT_EQ(s.BorderColor, 0xFFFFFFu);
}

}  // namespace
}  // namespace qv
