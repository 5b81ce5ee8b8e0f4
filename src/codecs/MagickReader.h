#pragma once
// Decoding through GraphicsMagick for the formats no dedicated library reads here. The
// format is always named explicitly (never guessed from the content), so a file only ever
// reaches the coder its extension asks for.
#include <cstddef>
#include <cstdint>
#include <string>

#include "raster/Bitmap24.h"

namespace qv {

// Starts GraphicsMagick once per process (thread-safe; every decoder calls it). Callers that
// use GraphicsMagick directly call it before they do.
void EnsureMagick();

// format is a GraphicsMagick coder name such as "TGA", "PCX" or "SGI". A file of several
// pictures (GIF animation, multi-page TIFF) gives its first picture. Translucent pixels
// are put over white (a picture whose alpha is 0 everywhere is taken as opaque), 16-bit
// samples are scaled to 8 bits with rounding, CMYK and other colour spaces become RGB.
// Throws EPictureError when the data cannot be decoded.
Bitmap24 DecodeWithMagick(const uint8_t* data, size_t size, const std::string& format);
// Reads the named file itself, for coders that also look at files beside it: a Dr. Halo
// picture (.cut) takes its colours from the .pal file of the same name.
Bitmap24 DecodeFileWithMagick(const std::string& fileName, const std::string& format);

}  // namespace qv
