#include "mainwindow/ThumbnailCache.h"

#include "controls/BitmapImage.h"
#include "engine/QVData.h"
#include "engine/Signature.h"
#include "output/ThumbCache.h"

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

TThumbnailCache::TThumbnailCache(size_t byteLimit)
    : limit_(byteLimit), decoded_(std::make_unique<ThumbCache>(byteLimit)) {}

TThumbnailCache::~TThumbnailCache() = default;

QImage TThumbnailCache::RecordPicture(const TQVData& table, int32_t n) {
  return RecordPicture(table, n, table.ShowThumbs);
}

QImage TThumbnailCache::RecordPicture(const TQVData& table, int32_t n, bool thumbs) {
  if (!RecordReadable(table, n)) return {};
  if (thumbs) {
    const std::string jpeg = table.RecordThumbJpeg(n);
    if (!jpeg.empty()) {
      auto entry = decoded_->Get(jpeg);
      if (const Bitmap32* pic = entry->Picture()) {
        // The image reads the entry's pixels (0xFFRRGGBB words) and holds the entry.
        auto* hold = new std::shared_ptr<ThumbCache::Entry>(std::move(entry));
        return QImage(
            reinterpret_cast<const uchar*>(pic->Data()), pic->Width(), pic->Height(), qsizetype(pic->Width()) * 4,
            QImage::Format_RGB32, [](void* p) { delete static_cast<std::shared_ptr<ThumbCache::Entry>*>(p); }, hold);
      }
    }
  }
  return ToQImage(RecordSignatureBitmap(table, n));
}

void TThumbnailCache::Clear() { decoded_ = std::make_unique<ThumbCache>(limit_); }

size_t TThumbnailCache::EntryCount() const { return decoded_->Entries(); }

size_t TThumbnailCache::ByteSize() const { return decoded_->DecodedBytes(); }

}  // namespace qv
