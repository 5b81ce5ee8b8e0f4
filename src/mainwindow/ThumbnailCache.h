#pragma once
// Pictures of tile table records for painting, read by record number so that painting never
// moves a table's cursor, with the decoded thumbnails kept in a bounded cache.
//
// A record's picture is what the table's ThumbBitmap holds after GoRecord(n): the decoded
// thumbnail when the table shows thumbnails and the record has one, otherwise the signature
// drawn as a GridW x GridH colour grid.
//
// Decoded thumbnails are keyed by the thumbnail's JPEG bytes (a hash, confirmed by comparing
// the bytes), so a picture can never be stale: a placement, an erasure, a compaction or a
// reopened table that gives a record other bytes gives it another entry, and a tile that
// stands in many cells is decoded once. Reading the bytes is a small positioned read from the
// table's thumbnail section; decoding is what the cache saves. Invalidate and Clear only give
// memory back early. The least recently used entries go when the byte limit is exceeded.
#include <QImage>
#include <cstddef>
#include <cstdint>
#include <list>
#include <string>
#include <unordered_map>

#include "codecs/Bitmap24.h"

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
  // engine then shows a blank white picture). A thumbnail that does not decode shows the
  // record's signature grid instead.
  QImage RecordPicture(const TQVData& table, int32_t n);

  // Gives back the decoded picture record n of the table was last painted with (after a
  // placement or an erasure of that cell).
  void Invalidate(const TQVData* table, int32_t n);
  // Gives back every entry (after a table is opened, closed or compacted).
  void Clear();

  size_t ByteSize() const { return bytes_; }
  size_t EntryCount() const { return lru_.size(); }
  size_t ByteLimit() const { return limit_; }
  void SetByteLimit(size_t limit);
  uint64_t DecodeCount() const { return decodes_; }  // JPEG decodes done so far

 private:
  struct Entry {
    uint64_t Hash = 0;
    std::string Jpeg;
    QImage Image;  // null when the bytes do not decode
    size_t Cost = 0;
  };
  struct RecordKey {
    const TQVData* Table;
    int32_t Record;
    bool operator==(const RecordKey&) const = default;
  };
  struct RecordKeyHash {
    size_t operator()(const RecordKey& k) const noexcept;
  };

  // The decoded thumbnail for the bytes; inserts (decoding once) when missing.
  const Entry& Lookup(const std::string& jpeg);
  void Erase(std::list<Entry>::iterator it);
  void Trim();

  size_t limit_;
  size_t bytes_ = 0;
  uint64_t decodes_ = 0;
  std::list<Entry> lru_;  // most recently used first
  std::unordered_map<uint64_t, std::list<Entry>::iterator> byHash_;
  std::unordered_map<RecordKey, uint64_t, RecordKeyHash> lastShown_;
};

}  // namespace qv
