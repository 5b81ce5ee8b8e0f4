#pragma once
// Photoshop pictures (.psd, .pdd, also the large-document variant): the merged picture that
// Photoshop stores after the layers, raw or PackBits-compressed, at 1, 8, 16 or 32 bits, in
// bitmap, grey, indexed, RGB, CMYK, duotone, multichannel or Lab mode. Layers and extra
// (alpha) channels are not used. Throws EPictureError when the data cannot be decoded.
#include <cstddef>
#include <cstdint>

#include "raster/Bitmap24.h"

namespace qv {

Bitmap24 DecodePsd(const uint8_t* data, size_t size);

}  // namespace qv
