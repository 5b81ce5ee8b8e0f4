#pragma once
// Autodesk Animator pictures (.cel, .pic): a 32-byte header (magic 0x9119, width, height,
// position, depth 8, compression 0, data size), a 256-colour table and one byte per pixel,
// rows top-down. Colour tables that only use 0..63 are VGA six-bit values and are widened.
// Throws EPictureError for other files.
#include <cstddef>
#include <cstdint>

#include "raster/Bitmap24.h"

namespace qv {

Bitmap24 DecodeAutodeskCel(const uint8_t* data, size_t size);

}  // namespace qv
