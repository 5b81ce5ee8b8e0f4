#pragma once
// Windows icon files (.ico, also cursors): of the images the file holds, the one with the
// most pixels (then the most colours) is decoded and drawn as Windows draws an icon onto a
// white bitmap: 32-bit images blend by their alpha (or by the mask when their alpha is
// all 0), other images are combined with the white through their AND mask. Images stored as
// PNG go through the PNG decoder. Throws EPictureError when no image can be decoded.
#include <cstddef>
#include <cstdint>

#include "raster/Bitmap24.h"

namespace qv {

Bitmap24 DecodeIco(const uint8_t* data, size_t size);

}  // namespace qv
