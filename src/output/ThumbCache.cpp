#include "output/ThumbCache.h"

#include "base/Errors.h"
#include "codecs/JpegCodec.h"
#include "engine/StoredThumbnail.h"

namespace qv {

const Bitmap32* ThumbCache::Entry::Picture() {
  std::call_once(once_, [this] {
    try {
      Bitmap24 b = DecodeStoredThumbnail(jpeg_);
      picture_.CopyFrom(b);
      ok_ = !picture_.Empty();
    } catch (const std::exception&) {
      ok_ = false;
    }
  });
  return ok_ ? &picture_ : nullptr;
}

ThumbCache::ThumbCache(size_t budgetBytes) : entries_(budgetBytes) {}

std::shared_ptr<ThumbCache::Entry> ThumbCache::Get(const std::string& jpeg) {
  if (const auto* held = entries_.Find(jpeg)) return *held;
  auto entry = std::make_shared<Entry>();
  entry->jpeg_ = jpeg;
  const JpegSize size = JpegMemorySize(reinterpret_cast<const uint8_t*>(jpeg.data()), jpeg.size());
  return entries_.Put(entry->jpeg_, entry, size_t(size.Width) * size_t(size.Height) * 4);
}

}  // namespace qv
