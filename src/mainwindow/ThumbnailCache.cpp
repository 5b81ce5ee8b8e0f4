#include "mainwindow/ThumbnailCache.h"

#include <functional>
#include <string_view>

#include "base/Errors.h"
#include "codecs/JpegCodec.h"
#include "controls/BitmapImage.h"
#include "engine/QVData.h"
#include "engine/Signature.h"

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

size_t TThumbnailCache::RecordKeyHash::operator()(const RecordKey& k) const noexcept {
  return std::hash<const void*>()(k.Table) ^ (std::hash<int32_t>()(k.Record) * 0x9E3779B97F4A7C15ull);
}

TThumbnailCache::TThumbnailCache(size_t byteLimit) : limit_(byteLimit) {}

void TThumbnailCache::SetByteLimit(size_t limit) {
  limit_ = limit;
  Trim();
}

QImage TThumbnailCache::RecordPicture(const TQVData& table, int32_t n) {
  if (!RecordReadable(table, n)) return {};
  if (table.ShowThumbs) {
    const std::string jpeg = table.RecordThumbJpeg(n);
    if (!jpeg.empty()) {
      const Entry& e = Lookup(jpeg);
      lastShown_[{&table, n}] = e.Hash;
      QImage image = e.Image;
      Trim();
      if (!image.isNull()) return image;
    }
  }
  return ToQImage(RecordSignatureBitmap(table, n));
}

const TThumbnailCache::Entry& TThumbnailCache::Lookup(const std::string& jpeg) {
  const uint64_t hash = std::hash<std::string_view>()(jpeg);
  if (auto found = byHash_.find(hash); found != byHash_.end()) {
    auto it = found->second;
    if (it->Jpeg == jpeg) {
      lru_.splice(lru_.begin(), lru_, it);
      return *it;
    }
    Erase(it);  // other bytes with the same hash: the newer picture takes the place
  }
  Entry e;
  e.Hash = hash;
  e.Jpeg = jpeg;
  ++decodes_;
  try {
    e.Image = ToQImage(DecodeJpegMemory(reinterpret_cast<const uint8_t*>(jpeg.data()), jpeg.size()));
  } catch (const EQuivara&) {
    // a thumbnail that does not decode stays null; the record's signature grid is shown
  }
  e.Cost = sizeof(Entry) + e.Jpeg.size() + size_t(e.Image.sizeInBytes());
  bytes_ += e.Cost;
  lru_.push_front(std::move(e));
  byHash_[hash] = lru_.begin();
  return lru_.front();
}

void TThumbnailCache::Erase(std::list<Entry>::iterator it) {
  bytes_ -= it->Cost;
  byHash_.erase(it->Hash);
  lru_.erase(it);
}

void TThumbnailCache::Trim() {
  // The most recent entry stays even when it alone exceeds the limit.
  while (bytes_ > limit_ && lru_.size() > 1) Erase(std::prev(lru_.end()));
}

void TThumbnailCache::Invalidate(const TQVData* table, int32_t n) {
  auto shown = lastShown_.find({table, n});
  if (shown == lastShown_.end()) return;
  if (auto found = byHash_.find(shown->second); found != byHash_.end()) Erase(found->second);
  lastShown_.erase(shown);
}

void TThumbnailCache::Clear() {
  lru_.clear();
  byHash_.clear();
  lastShown_.clear();
  bytes_ = 0;
}

}  // namespace qv
