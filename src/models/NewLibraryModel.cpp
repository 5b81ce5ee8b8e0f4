#include "models/NewLibraryModel.h"

#include <algorithm>

#include "base/Rounding.h"
#include "engine/CompositionRun.h"

namespace qv {
namespace {

const std::array<const char*, kPictureTypeCount> kPatterns = {"*.BMP", "*.JPG*.JPEG", "*.GIF", "*.ICO", "*.TIF",
                                                              "*.PCD", "*.PCX",       "*.PSD", "*.RLE", "*.DIB"};

}  // namespace

const std::array<const char*, kPictureTypeCount>& PictureTypeExtensions() {
  static const std::array<const char*, kPictureTypeCount> exts = {".BMP", ".JPG", ".GIF", ".ICO", ".TIF",
                                                                  ".PCD", ".PCX", ".PSD", ".RLE", ".DIB"};
  return exts;
}

TPictureTypeTicks TicksFromImgExts(const std::string& imgExts) {
  TPictureTypeTicks ticks{};
  for (int i = 0; i < kPictureTypeCount; ++i)
    ticks[size_t(i)] = imgExts.find(PictureTypeExtensions()[size_t(i)]) != std::string::npos;
  return ticks;
}

std::string ImgExtsFromTicks(const TPictureTypeTicks& ticks) {
  std::string s;
  for (int i = 0; i < kPictureTypeCount; ++i)
    if (ticks[size_t(i)]) s += PictureTypeExtensions()[size_t(i)];
  return s;
}

std::string PictExtsFromTicks(const TPictureTypeTicks& ticks) {
  std::string s;
  for (int i = 0; i < kPictureTypeCount; ++i)
    if (ticks[size_t(i)]) s += kPatterns[size_t(i)];
  return s;
}

int ClampProportion(int value) { return std::clamp(value, kPropMin, kPropMax); }

TTileShapes ShowShape(int propX, int propY, int marginPercent, int left, int top) {
  TTileShapes s;
  propX = std::max(propX, 1);
  propY = std::max(propY, 1);
  s.Outline.Left = left;
  s.Outline.Top = top;
  if (propY < propX) {
    s.Outline.Width = kShapeSide;
    s.Outline.Height = RoundHalfEven(double(propY) * kShapeSide / propX);
  } else {
    s.Outline.Height = kShapeSide;
    s.Outline.Width = RoundHalfEven(double(propX) * kShapeSide / propY);
  }
  const double b = double(marginPercent) * s.Outline.Width / 100.0;
  const double c = double(marginPercent) * s.Outline.Height / 100.0;
  s.Kept.Left = s.Outline.Left + RoundHalfEven(b / 2);
  s.Kept.Top = s.Outline.Top + RoundHalfEven(c / 2);
  s.Kept.Width = std::max(0, s.Outline.Width - RoundHalfEven(b));
  s.Kept.Height = std::max(0, s.Outline.Height - RoundHalfEven(c));
  return s;
}

std::string LibraryFileNameFor(const std::string& typedName) {
  const size_t slash = typedName.find_last_of('/');
  const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  const size_t dot = typedName.find_last_of('.');
  if (dot == std::string::npos || dot < nameStart) return typedName + ".qv2";
  return typedName.substr(0, dot) + ".qv2";
}

int CropModeOf(int column, int row) { return std::clamp(row, 0, 2) * 3 + std::clamp(column, 0, 2); }

}  // namespace qv

namespace qv {

std::string PassProgressText(int64_t done, int64_t total, int64_t elapsedMs, const std::string& units) {
  std::string s = std::to_string(done) + " of " + std::to_string(total) + " " + units + ", " +
                  FormatElapsed(elapsedMs) + " elapsed";
  if (done > 0 && total > done) {
    const int64_t left = static_cast<int64_t>(double(elapsedMs) / double(done) * double(total - done));
    s += ", " + FormatElapsed(left) + " left";
  }
  return s;
}

}  // namespace qv
