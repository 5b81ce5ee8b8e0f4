#include "output/ThumbCache.h"

#include <algorithm>
#include <functional>

#include "base/Errors.h"
#include "codecs/JpegCodec.h"

namespace qv {

// The byte count shared between the cache and its entries, which finish decoding on other
// threads.
struct CacheBook {
  std::mutex mutex;
  size_t decodedBytes = 0;
  size_t budget = 0;
};

const Bitmap32* ThumbCache::Entry::Picture() {
  std::call_once(once_, [this] {
    try {
      Bitmap24 b = DecodeJpegMemory(reinterpret_cast<const uint8_t*>(jpeg_.data()), jpeg_.size());
      picture_.CopyFrom(b);
      ok_ = !picture_.Empty();
    } catch (const std::exception&) {
      ok_ = false;
    }
    std::lock_guard<std::mutex> lock(book_->mutex);
    bytes_ = size_t(picture_.Width()) * size_t(picture_.Height()) * 4;
    if (cached_) book_->decodedBytes += bytes_;
  });
  return ok_ ? &picture_ : nullptr;
}

ThumbCache::ThumbCache(size_t budgetBytes) : book_(std::make_shared<CacheBook>()) { book_->budget = budgetBytes; }

ThumbCache::~ThumbCache() {
  std::lock_guard<std::mutex> lock(book_->mutex);
  for (auto& e : lru_) e->cached_ = false;
}

size_t ThumbCache::DecodedBytes() const {
  std::lock_guard<std::mutex> lock(book_->mutex);
  return book_->decodedBytes;
}

std::shared_ptr<ThumbCache::Entry> ThumbCache::Get(const std::string& jpeg) {
  const size_t key = std::hash<std::string>()(jpeg);
  auto& bucket = index_[key];
  for (auto it : bucket)
    if ((*it)->jpeg_ == jpeg) {
      lru_.splice(lru_.begin(), lru_, it);  // iterators stay valid
      return *it;
    }
  auto entry = std::make_shared<Entry>();
  entry->jpeg_ = jpeg;
  entry->book_ = book_;
  lru_.push_front(entry);
  bucket.push_back(lru_.begin());
  Evict();
  return entry;
}

void ThumbCache::Evict() {
  std::lock_guard<std::mutex> lock(book_->mutex);
  // The newest entry always stays.
  while (lru_.size() > 1 && book_->decodedBytes > book_->budget) {
    auto last = std::prev(lru_.end());
    Entry& e = **last;
    e.cached_ = false;
    book_->decodedBytes -= std::min(book_->decodedBytes, e.bytes_);
    auto& bucket = index_[std::hash<std::string>()(e.jpeg_)];
    bucket.erase(std::remove(bucket.begin(), bucket.end(), last), bucket.end());
    if (bucket.empty()) index_.erase(std::hash<std::string>()(e.jpeg_));
    lru_.erase(last);
  }
}

}  // namespace qv
