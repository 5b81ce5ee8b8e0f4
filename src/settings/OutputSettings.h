#pragma once
// The keys of section "Output" that the output mosaic setup reads when it opens and writes
// when it closes. "Blending" and "ColorCorrection" are read and written only while
// "StartUp"/"RememberBlendSetting" is true; otherwise they start at 0.
#include <cstdint>
#include <string>

namespace qv {

// Index into the output save dialog's type list (1-based, in the list's order).
enum TOutputFileType : int {
  kTypeTiff = 1,      // "Tiff files" (.tif)
  kTypeJpeg = 2,      // "Jpeg files" (.jpg)
  kTypeBmp = 3,       // "BMP files" (.bmp)
  kTypeText = 4,      // "Text list of images" (.txt)
  kTypeSequence = 5,  // "Image sequence" (.bmp)
  kTypeHtml = 6,      // "HTML table" (.html)
};

// Size entries' unit: 0 pixels, 1 inches, 2 cm ("Units").
enum TOutputUnits : int { kUnitsPixels = 0, kUnitsInches = 1, kUnitsCm = 2 };

struct TOutputSettings {
  int32_t OutputWidth = 0;   // "MosaicWidth", the mosaic area without borders
  int32_t OutputHeight = 0;  // "MosaicHeight"
  int32_t BorderLeft = 0, BorderTop = 0, BorderRight = 0, BorderBottom = 0;
  bool Borders = false;      // "Add borders"
  uint32_t BorderColor = 0;  // red in the low byte, then green, then blue
  int32_t Resolution = 150;  // "DPI"
  int Units = kUnitsPixels;
  bool Grid = false;  // "Draw grid"
  uint32_t GridColor = 0;
  int32_t ColorCorrection = 0;  // percent, 0..100
  int32_t Blending = 0;         // percent, 0..100
  bool DetailedBlend = false;
  bool UseThumb = true;  // "Use stored thumbs"
  bool SharpenTiles = true;
  bool DirectToDisk = true;  // "Write direct to disk (no RAM)"
  bool OpenAfterSave = true;
  // The save dialog's type. The key's own default is 1, but a first save offers "Jpeg files".
  int FileFormat = kTypeJpeg;
};

TOutputSettings ReadOutputSettings(const std::string& settingsPath);
// Writes every key; Blending and ColorCorrection only while RememberBlendSetting is set.
void WriteOutputSettings(const std::string& settingsPath, const TOutputSettings& s);
bool RememberBlendSetting(const std::string& settingsPath);

}  // namespace qv
