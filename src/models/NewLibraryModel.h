#pragma once
// The arithmetic of the new library dialog: the tile outline and its kept part shown beside
// the proportion fields, the picture-type patterns of the ticked boxes and their settings
// value, and the library file name the build writes. Qt-free.
#include <array>
#include <cstdint>
#include <string>

namespace qv {

// The picture-type boxes, in the order their patterns run together and "ImgExts" lists them.
inline constexpr int kPictureTypeCount = 10;
// Dotted upper-case extensions: ".BMP", ".JPG", ".GIF", ".ICO", ".TIF", ".PCD", ".PCX",
// ".PSD", ".RLE", ".DIB".
const std::array<const char*, kPictureTypeCount>& PictureTypeExtensions();
using TPictureTypeTicks = std::array<bool, kPictureTypeCount>;

// Ticks every type whose dotted extension occurs in the "NewBase"/"ImgExts" value.
TPictureTypeTicks TicksFromImgExts(const std::string& imgExts);
// The "ImgExts" value of the ticked types: their dotted extensions run together.
std::string ImgExtsFromTicks(const TPictureTypeTicks& ticks);
// GetPictExts: the patterns of the ticked types run together ("*.JPG*.JPEG" for JPG).
std::string PictExtsFromTicks(const TPictureTypeTicks& ticks);

// The proportion fields take 3..4; stored values outside are pulled back into that range.
inline constexpr int kPropMin = 3;
inline constexpr int kPropMax = 4;
int ClampProportion(int value);

struct TShapeRect {
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
  bool operator==(const TShapeRect&) const = default;
};

// ShowShape: the tile outline with its longer side 64 pixels at (left, top), and the part
// kept inside the margin.
struct TTileShapes {
  TShapeRect Outline;  // Shape1
  TShapeRect Kept;     // Shape2, drawn red
};
inline constexpr int kShapeSide = 64;
TTileShapes ShowShape(int propX, int propY, int marginPercent, int left = 0, int top = 0);

// The file a build writes: the name with its extension replaced by ".qv2" (a name without
// extension gets it added; dots in folder names are left alone).
std::string LibraryFileNameFor(const std::string& typedName);

// The CropMode of the crop radio buttons: a 3 x 3 block (column 0..2 left to right, row 0..2
// top to bottom) gives row x 3 + column; "Stretch" gives 9.
int CropModeOf(int column, int row);

}  // namespace qv

namespace qv {

// The progress line of a long pass over a known number of units: "12 of 40 pictures,
// 0:03 elapsed, 0:07 left" (the time left is estimated once a unit is done).
std::string PassProgressText(int64_t done, int64_t total, int64_t elapsedMs, const std::string& units);

}  // namespace qv
