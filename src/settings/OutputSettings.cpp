#include "settings/OutputSettings.h"

#include "settings/IniFile.h"

namespace qv {

namespace {
constexpr char kOutput[] = "Output";
}  // namespace

bool RememberBlendSetting(const std::string& settingsPath) {
  return IniReadBool(settingsPath, "StartUp", "RememberBlendSetting", false);
}

TOutputSettings ReadOutputSettings(const std::string& f) {
  TOutputSettings s;
  s.OutputWidth = IniReadInt(f, kOutput, "MosaicWidth", 0);
  s.OutputHeight = IniReadInt(f, kOutput, "MosaicHeight", 0);
  s.BorderLeft = IniReadInt(f, kOutput, "BorderLeft", 0);
  s.BorderTop = IniReadInt(f, kOutput, "BorderTop", 0);
  s.BorderRight = IniReadInt(f, kOutput, "BorderRight", 0);
  s.BorderBottom = IniReadInt(f, kOutput, "BorderBottom", 0);
  s.Borders = IniReadBool(f, kOutput, "Borders", false);
  s.BorderColor = uint32_t(IniReadInt(f, kOutput, "BorderColor", 0)) & 0xFFFFFF;
  s.Resolution = IniReadInt(f, kOutput, "DPI", 150);
  s.Units = IniReadInt(f, kOutput, "Units", kUnitsPixels);
  if (s.Units < kUnitsPixels || s.Units > kUnitsCm) s.Units = kUnitsPixels;
  s.Grid = IniReadBool(f, kOutput, "Grid", false);
  s.GridColor = uint32_t(IniReadInt(f, kOutput, "GridColor", 0)) & 0xFFFFFF;
  if (RememberBlendSetting(f)) {
    s.Blending = IniReadInt(f, kOutput, "Blending", 0);
    s.ColorCorrection = IniReadInt(f, kOutput, "ColorCorrection", 0);
  }
  s.DetailedBlend = IniReadBool(f, kOutput, "DetailedBlend", false);
  s.UseThumb = IniReadBool(f, kOutput, "UseThumb", true);
  s.SharpenTiles = IniReadBool(f, kOutput, "SharpenTiles", true);
  s.DirectToDisk = IniReadBool(f, kOutput, "DirectToDisk", true);
  s.OpenAfterSave = IniReadBool(f, kOutput, "OpenAfterSave", true);
  s.FileFormat = IniReadInt(f, kOutput, "FileFormat", kTypeJpeg);
  if (s.FileFormat < kTypeTiff || s.FileFormat > kTypeHtml) s.FileFormat = kTypeJpeg;
  return s;
}

void WriteOutputSettings(const std::string& f, const TOutputSettings& s) {
  IniWriteInt(f, kOutput, "MosaicWidth", s.OutputWidth);
  IniWriteInt(f, kOutput, "MosaicHeight", s.OutputHeight);
  IniWriteInt(f, kOutput, "BorderLeft", s.BorderLeft);
  IniWriteInt(f, kOutput, "BorderTop", s.BorderTop);
  IniWriteInt(f, kOutput, "BorderRight", s.BorderRight);
  IniWriteInt(f, kOutput, "BorderBottom", s.BorderBottom);
  IniWriteBool(f, kOutput, "Borders", s.Borders);
  IniWriteInt(f, kOutput, "BorderColor", int(s.BorderColor));
  IniWriteInt(f, kOutput, "DPI", s.Resolution);
  IniWriteInt(f, kOutput, "Units", s.Units);
  IniWriteBool(f, kOutput, "Grid", s.Grid);
  IniWriteInt(f, kOutput, "GridColor", int(s.GridColor));
  if (RememberBlendSetting(f)) {
    IniWriteInt(f, kOutput, "Blending", s.Blending);
    IniWriteInt(f, kOutput, "ColorCorrection", s.ColorCorrection);
  }
  IniWriteBool(f, kOutput, "DetailedBlend", s.DetailedBlend);
  IniWriteBool(f, kOutput, "UseThumb", s.UseThumb);
  IniWriteBool(f, kOutput, "SharpenTiles", s.SharpenTiles);
  IniWriteBool(f, kOutput, "DirectToDisk", s.DirectToDisk);
  IniWriteBool(f, kOutput, "OpenAfterSave", s.OpenAfterSave);
  IniWriteInt(f, kOutput, "FileFormat", s.FileFormat);
}

}  // namespace qv
