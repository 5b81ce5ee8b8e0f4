#include "mainwindow/ThumbnailCache.h"

#include <exception>

#include "controls/BitmapImage.h"
#include "engine/QVData.h"
#include "engine/Signature.h"
#include "engine/StoredThumbnail.h"

namespace qv {

bool RecordReadable(const TQVData& table, int32_t n) {
  return table.TableIsOpen() && n >= 1 && n <= table.Count &&
         table.DataSection.Holds(table.SlotOffset(n), table.SlotSize());
}

Bitmap24 RecordSignatureBitmap(const TQVData& table, int32_t n) {
  Bitmap24 bmp(table.GridW, table.GridH);
  DrawSignature(table.RecordSignature(n), table.ColorSystem, bmp);
  return bmp;
}

TThumbnailCache::TThumbnailCache(size_t byteLimit) : decoded_(byteLimit) {}

QImage TThumbnailCache::RecordPicture(const TQVData& table, int32_t n) {
  return RecordPicture(table, n, table.ShowThumbs);
}

QImage TThumbnailCache::RecordPicture(const TQVData& table, int32_t n, bool thumbs) {
  if (!RecordReadable(table, n)) return {};
  if (thumbs) {
    const std::string jpeg = table.RecordThumbJpeg(n);
    if (!jpeg.empty()) {
      const QImage* picture = decoded_.Find(jpeg);
      if (!picture) {
        QImage decoded;
        try {
          decoded = ToQImage(DecodeStoredThumbnail(jpeg));
        } catch (const std::exception&) {
          // shown as the signature grid below
        }
        const size_t bytes = size_t(decoded.sizeInBytes());
        picture = &decoded_.Put(jpeg, std::move(decoded), bytes);
      }
      // A copy that shares the cached pixels and keeps them alive.
      if (!picture->isNull()) return *picture;
    }
  }
  return ToQImage(RecordSignatureBitmap(table, n));
}

void TThumbnailCache::Clear() { decoded_.Clear(); }

}  // namespace qv
