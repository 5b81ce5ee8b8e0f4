#include "output/ScaledTileCache.h"

#include <functional>

namespace qv {

size_t ScaledTileCache::KeyHash::operator()(const Key& k) const {
  size_t h = std::hash<const void*>()(k.thumb);
  h = h * 1000003u ^ size_t(k.width);
  h = h * 1000003u ^ size_t(k.height);
  return h * 2u + (k.sharpen ? 1u : 0u);
}

ScaledTileCache::ScaledTileCache(size_t budgetBytes) : budget_(budgetBytes) {}

size_t ScaledTileCache::Entries() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return lru_.size();
}

size_t ScaledTileCache::Bytes() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return bytes_;
}

std::shared_ptr<const ScaledTile> ScaledTileCache::Get(const std::shared_ptr<ThumbCache::Entry>& thumb, int width,
                                                       int height, bool sharpen) {
  if (!thumb) return nullptr;
  const Key key{thumb.get(), width, height, sharpen};
  std::shared_ptr<Slot> slot;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    auto found = index_.find(key);
    if (found != index_.end()) {
      lru_.splice(lru_.begin(), lru_, found->second);  // iterators stay valid
      slot = found->second->slot;
    } else {
      slot = std::make_shared<Slot>();
      slot->thumb = thumb;
      const size_t bytes = size_t(Bitmap24::StrideFor(std::max(width, 0))) * size_t(std::max(height, 0)) + 256;
      lru_.push_front(Node{key, slot, bytes});
      index_.emplace(key, lru_.begin());
      bytes_ += bytes;
      // The newest entry always stays.
      while (lru_.size() > 1 && bytes_ > budget_) {
        bytes_ -= lru_.back().bytes;
        index_.erase(lru_.back().key);
        lru_.pop_back();
      }
    }
  }
  std::call_once(slot->once, [&] {
    if (const Bitmap32* picture = slot->thumb->Picture()) {
      MakeScaledTile(*picture, width, height, sharpen, slot->tile);
      slot->ok = true;
    }
  });
  if (!slot->ok) return nullptr;
  return std::shared_ptr<const ScaledTile>(slot, &slot->tile);
}

}  // namespace qv
