#pragma once
// Turning one picture file into the pieces of a library record: the crop rectangle, the
// cropped picture, the thumbnail JPEG and the signature. Pure functions of the file and a
// copy of the build settings, so a build pass may run them on worker threads.
#include <cstdint>
#include <string>

#include "base/Geometry.h"
#include "engine/BuildSettings.h"
#include "engine/Signature.h"
#include "raster/Bitmap24.h"

namespace qv {

// The part of a width x height picture that a tile of proportion propX : propY keeps, with
// marginPercent of the picture trimmed (half on each side), for a CropMode.
Rect TileCropRect(int width, int height, int propX, int propY, int marginPercent, int cropMode);

// Thumbnail height for a thumbnail width and a tile proportion: Round(width / propX * propY).
int ThumbHeightFor(int thumbWidth, int propX, int propY);

// Everything a record needs from one picture.
struct TPreparedTile {
  bool Ok = false;
  std::string Error;  // why the picture was skipped
  Bitmap24 Cropped;   // the kept part of the picture as decoded (at the reduced JPEG scale)
  std::string Jpeg;   // the thumbnail as a baseline JPEG
  SignatureBytes Signature;
  int PicWidth = 0;  // the picture file's full size
  int PicHeight = 0;
  Rect Crop;  // the kept part in pixels of the full-size picture
};

// Loads, crops and reduces one picture. Never throws: a picture that cannot be used comes
// back with Ok false and the reason in Error.
// Uses the settings' proportion, grid, margin, crop mode, thumbnail size and quality,
// colour system, filter and FastJpeg; settings.Check() must have passed.
TPreparedTile PrepareTile(const std::string& fileName, const TBuildSettings& settings);

}  // namespace qv
