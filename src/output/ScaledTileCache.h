#pragma once
// Tiles stretched to a cell size (and sharpened) shared by the cells of one output run: a
// tile shown in many cells of the same size is scaled and sharpened once, and each cell only
// adds its colour correction and blend. Entries are keyed by the decoded thumbnail, the size
// and the sharpening, made on first use by whichever worker asks first (the others wait for
// it), and kept within a byte budget, the least recently asked-for dropped first; a picture
// still in use by a cell outlives its entry. All members are thread-safe.
#include <cstddef>
#include <memory>
#include <mutex>

#include "base/RecentCache.h"
#include "imaging/TileOps.h"
#include "output/ThumbCache.h"

namespace qv {

class ScaledTileCache {
 public:
  explicit ScaledTileCache(size_t budgetBytes = size_t(64) << 20);

  // The thumbnail stretched over width x height, sharpened when asked; nullptr when the
  // thumbnail does not decode.
  std::shared_ptr<const ScaledTile> Get(const std::shared_ptr<ThumbCache::Entry>& thumb, int width, int height,
                                        bool sharpen);

  size_t Entries() const;
  size_t Bytes() const;

 private:
  struct Key {
    const ThumbCache::Entry* thumb;
    int width, height;
    bool sharpen;
    bool operator==(const Key&) const = default;
  };
  struct KeyHash {
    size_t operator()(const Key& k) const;
  };
  struct Slot {
    std::shared_ptr<ThumbCache::Entry> thumb;  // keeps the key's thumbnail alive
    std::once_flag once;
    ScaledTile tile;
    bool ok = false;
  };

  mutable std::mutex mutex_;
  TRecentCache<Key, std::shared_ptr<Slot>, KeyHash> slots_;  // guarded by mutex_
};

}  // namespace qv
