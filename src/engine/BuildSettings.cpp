#include "engine/BuildSettings.h"

#include <string>

#include "base/Errors.h"
#include "engine/TileBuilder.h"

namespace qv {
namespace {

void CheckGrid(int32_t gridW, int32_t gridH) {
  if (gridW < 1 || gridH < 1 || gridW > 0xFFFF || gridH > 0xFFFF || int64_t(gridW) * gridH > 1 << 20)
    throw EQuivara("Signature grid " + std::to_string(gridW) + " x " + std::to_string(gridH) + " is not usable");
}

void CheckColorSystem(uint8_t colorSystem) {
  if (colorSystem != kColorYCC && colorSystem != kColorRGB && colorSystem != kColorY)
    throw EQuivara("Colour system " + std::to_string(colorSystem) + " is not usable");
}

}  // namespace

int TBuildSettings::ThumbHeight() const { return ThumbHeightFor(ThumbWidth, PropX, PropY); }

void TBuildSettings::Check() const {
  if (PropX < 1 || PropY < 1 || PropX > 0xFFFF || PropY > 0xFFFF)
    throw EQuivara("Tile proportion " + std::to_string(PropX) + " : " + std::to_string(PropY) + " is not usable");
  CheckGrid(GridW, GridH);
  CheckColorSystem(ColorSystem);
  if (MarginPercent < 0 || MarginPercent > 100)
    throw EQuivara("Margin " + std::to_string(MarginPercent) + " % is not usable");
  if (CropMode < kCropLeftTop || CropMode > kCropStretch)
    throw EQuivara("Crop mode " + std::to_string(CropMode) + " is not usable");
  if (JpegQuality < 1 || JpegQuality > 100)
    throw EQuivara("Thumbnail quality " + std::to_string(JpegQuality) + " is not usable");
  const int thumbHeight = ThumbHeight();
  if (ThumbWidth < 1 || thumbHeight < 1 || ThumbWidth > 0xFFFF || thumbHeight > 0xFFFF)
    throw EQuivara("Thumbnail size " + std::to_string(ThumbWidth) + " x " + std::to_string(thumbHeight) +
                   " is not usable");
}

void TResampleSettings::Check() const {
  CheckGrid(GridW, GridH);
  CheckColorSystem(ColorSystem);
}

}  // namespace qv
