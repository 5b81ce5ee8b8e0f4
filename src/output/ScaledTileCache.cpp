#include "output/ScaledTileCache.h"

#include <algorithm>
#include <functional>

namespace qv {

size_t ScaledTileCache::KeyHash::operator()(const Key& k) const {
  size_t h = std::hash<const void*>()(k.thumb);
  h = h * 1000003u ^ size_t(k.width);
  h = h * 1000003u ^ size_t(k.height);
  return h * 2u + (k.sharpen ? 1u : 0u);
}

ScaledTileCache::ScaledTileCache(size_t budgetBytes) : slots_(budgetBytes) {}

size_t ScaledTileCache::Entries() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return slots_.Count();
}

size_t ScaledTileCache::Bytes() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return slots_.Bytes();
}

std::shared_ptr<const ScaledTile> ScaledTileCache::Get(const std::shared_ptr<ThumbCache::Entry>& thumb, int width,
                                                       int height, bool sharpen) {
  if (!thumb) return nullptr;
  const Key key{thumb.get(), width, height, sharpen};
  std::shared_ptr<Slot> slot;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (const auto* held = slots_.Find(key)) {
      slot = *held;
    } else {
      slot = std::make_shared<Slot>();
      slot->thumb = thumb;
      const size_t bytes = size_t(Bitmap24::StrideFor(std::max(width, 0))) * size_t(std::max(height, 0)) + 256;
      slots_.Put(key, slot, bytes);
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
