#pragma once
// PNG decoding through libpng: every bit depth and colour type, interlaced or not. Pixels
// with alpha (or a transparent colour) are put over white. Throws EPictureError when the
// data cannot be decoded.
#include <cstddef>
#include <cstdint>
#include <string>

#include "raster/Bitmap24.h"

namespace qv {

Bitmap24 DecodePngMemory(const uint8_t* data, size_t size);
Bitmap24 DecodePngFile(const std::string& fileName);

}  // namespace qv
