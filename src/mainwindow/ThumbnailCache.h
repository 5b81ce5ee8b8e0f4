#pragma once
// Pictures of tile table records for painting, read by record number so that painting never
// moves a table's cursor, with the decoded thumbnails kept in a bounded cache.
//
// A record's picture is what the table's ThumbBitmap holds after GoRecord(n): the decoded
// thumbnail when the table shows thumbnails and the record has one, otherwise the signature
// drawn as a GridW x GridH colour grid.
//
// Decoded thumbnails are kept keyed by the thumbnail's JPEG bytes, so a picture can never be
// stale: a placement, an erasure, a compaction or a reopened table that gives a record other
// bytes gives it another entry, and a tile that stands in many cells is decoded once. Reading the bytes is a small
// positioned read from the table's thumbnail section; decoding is what the cache saves. The least recently used
// pictures go when the byte limit is exceeded; Clear gives them all back at once.
#include <QImage>
#include <cstddef>
#include <cstdint>
#include <string>

#include "base/RecentCache.h"
#include "raster/Bitmap24.h"

namespace qv {

class TQVData;

// True when record n of the table can be read (the table is open and holds the slot).
bool RecordReadable(const TQVData& table, int32_t n);
// Record n's signature drawn as a picture, as SignatureBitmap after GoRecord(n). Raises
// EStreamError when the record cannot be read.
Bitmap24 RecordSignatureBitmap(const TQVData& table, int32_t n);

class TThumbnailCache {
 public:
  static constexpr size_t kDefaultByteLimit = size_t(64) << 20;

  explicit TThumbnailCache(size_t byteLimit = kDefaultByteLimit);

  // Record n's picture as an RGB32 image; a null image when the record cannot be read (the
  // engine then shows a blank white picture). thumbs: whether the table shows thumbnails
  // (its ShowThumbs unless given). A thumbnail that does not decode shows the record's
  // signature grid instead. The image shares the cached pixels and keeps them alive.
  QImage RecordPicture(const TQVData& table, int32_t n);
  QImage RecordPicture(const TQVData& table, int32_t n, bool thumbs);

  // Gives back every decoded picture (after a project is closed).
  void Clear();

  size_t EntryCount() const { return decoded_.Count(); }
  size_t ByteSize() const { return decoded_.Bytes(); }  // decoded bytes held
  size_t ByteLimit() const { return decoded_.Budget(); }

 private:
  // A null image for bytes that do not decode.
  TRecentCache<std::string, QImage> decoded_;
};

}  // namespace qv
