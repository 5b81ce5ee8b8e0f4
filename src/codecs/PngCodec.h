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

namespace qv {

// The picture as an 8-bit RGB PNG file's bytes. Throws EPictureError when libpng fails.
std::string EncodePng(const Bitmap24& picture);
// Writes EncodePng's bytes to fileName through a temporary file; EStreamError when it cannot.
void SavePngFile(const Bitmap24& picture, const std::string& fileName);

}  // namespace qv
