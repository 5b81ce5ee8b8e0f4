#include "engine/StoredThumbnail.h"

#include "codecs/CodecSupport.h"
#include "codecs/JpegCodec.h"
#include "engine/TileRecords.h"

namespace qv {

Bitmap24 DecodeStoredThumbnail(const std::string& jpeg) {
  const TPictureSizeLimit limit(kMaxThumbnailPixels);
  return DecodeJpegMemory(reinterpret_cast<const uint8_t*>(jpeg.data()), jpeg.size());
}

}  // namespace qv
