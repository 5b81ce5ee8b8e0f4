#include "settings/OutputSettings.h"

#include "settings/IniFile.h"

namespace qv {

namespace {

constexpr char kOutput[] = "Output";

// The plain keys, read and written alike; the rest need a check or a condition.
struct TIntKey {
  const char* Key;
  int32_t TOutputSettings::*Field;
  int32_t Default;
};
constexpr TIntKey kIntKeys[] = {
    {"MosaicWidth", &TOutputSettings::OutputWidth, 0}, {"MosaicHeight", &TOutputSettings::OutputHeight, 0},
    {"BorderLeft", &TOutputSettings::BorderLeft, 0},   {"BorderTop", &TOutputSettings::BorderTop, 0},
    {"BorderRight", &TOutputSettings::BorderRight, 0}, {"BorderBottom", &TOutputSettings::BorderBottom, 0},
    {"DPI", &TOutputSettings::Resolution, 150},
};

struct TBoolKey {
  const char* Key;
  bool TOutputSettings::*Field;
  bool Default;
};
constexpr TBoolKey kBoolKeys[] = {
    {"Borders", &TOutputSettings::Borders, false},
    {"Grid", &TOutputSettings::Grid, false},
    {"DetailedBlend", &TOutputSettings::DetailedBlend, false},
    {"UseThumb", &TOutputSettings::UseThumb, true},
    {"SharpenTiles", &TOutputSettings::SharpenTiles, true},
    {"DirectToDisk", &TOutputSettings::DirectToDisk, true},
    {"OpenAfterSave", &TOutputSettings::OpenAfterSave, true},
};

// Colours keep red, green and blue only.
struct TColourKey {
  const char* Key;
  uint32_t TOutputSettings::*Field;
};
constexpr TColourKey kColourKeys[] = {{"BorderColor", &TOutputSettings::BorderColor},
                                      {"GridColor", &TOutputSettings::GridColor}};

}  // namespace

bool RememberBlendSetting(const std::string& settingsPath) {
  return IniReadBool(settingsPath, "StartUp", "RememberBlendSetting", false);
}

TOutputSettings ReadOutputSettings(const std::string& f) {
  TOutputSettings s;
  for (const TIntKey& k : kIntKeys) s.*k.Field = IniReadInt(f, kOutput, k.Key, k.Default);
  for (const TBoolKey& k : kBoolKeys) s.*k.Field = IniReadBool(f, kOutput, k.Key, k.Default);
  for (const TColourKey& k : kColourKeys) s.*k.Field = uint32_t(IniReadInt(f, kOutput, k.Key, 0)) & 0xFFFFFF;
  s.Units = IniReadInt(f, kOutput, "Units", kUnitsPixels);
  if (s.Units < kUnitsPixels || s.Units > kUnitsCm) s.Units = kUnitsPixels;
  if (RememberBlendSetting(f)) {
    s.Blending = IniReadInt(f, kOutput, "Blending", 0);
    s.ColorCorrection = IniReadInt(f, kOutput, "ColorCorrection", 0);
  }
  s.FileFormat = IniReadInt(f, kOutput, "FileFormat", kTypeJpeg);
  if (s.FileFormat < kTypeTiff || s.FileFormat > kTypeHtml) s.FileFormat = kTypeJpeg;
  return s;
}

void WriteOutputSettings(const std::string& f, const TOutputSettings& s) {
  for (const TIntKey& k : kIntKeys) IniWriteInt(f, kOutput, k.Key, s.*k.Field);
  for (const TBoolKey& k : kBoolKeys) IniWriteBool(f, kOutput, k.Key, s.*k.Field);
  for (const TColourKey& k : kColourKeys) IniWriteInt(f, kOutput, k.Key, int(s.*k.Field));
  IniWriteInt(f, kOutput, "Units", s.Units);
  if (RememberBlendSetting(f)) {
    IniWriteInt(f, kOutput, "Blending", s.Blending);
    IniWriteInt(f, kOutput, "ColorCorrection", s.ColorCorrection);
  }
  IniWriteInt(f, kOutput, "FileFormat", s.FileFormat);
}

}  // namespace qv
