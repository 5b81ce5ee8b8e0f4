#pragma once
// The thumbnails a table stores are small JPEGs the program wrote itself; a damaged or
// hostile one may claim any size. Every pass that decodes them goes through here, so none
// spends the time and memory of a picture of hundreds of megapixels on a thumbnail.
#include <string>

#include "raster/Bitmap24.h"

namespace qv {

// Decodes a stored thumbnail of at most kMaxThumbnailPixels (engine/TileRecords.h); throws
// EPictureError for a larger one as for one that does not decode.
Bitmap24 DecodeStoredThumbnail(const std::string& jpeg);

}  // namespace qv
