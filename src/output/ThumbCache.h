#pragma once
// Decoded tile thumbnails shared by the cells of one output run: a thumbnail used by many
// cells is decoded once. Entries are keyed by the thumbnail's JPEG bytes (so two records
// holding the same bytes share one picture) and decoded on first use, on whichever thread
// asks first. The cache keeps at most a byte budget of decoded pictures, dropping the least
// recently asked-for ones; a picture still in use by a cell outlives its entry.
#include <cstddef>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "raster/Bitmap32.h"

namespace qv {

class ThumbCache {
 public:
  class Entry {
   public:
    // The decoded thumbnail, or nullptr when its bytes do not decode. Thread-safe.
    const Bitmap32* Picture();

   private:
    friend class ThumbCache;
    std::string jpeg_;
    std::once_flag once_;
    Bitmap32 picture_;
    bool ok_ = false;
    size_t bytes_ = 0;    // decoded size, counted while the entry is cached
    bool cached_ = true;  // guarded by the cache's mutex
    std::shared_ptr<struct CacheBook> book_;
  };

  explicit ThumbCache(size_t budgetBytes = size_t(256) << 20);
  ~ThumbCache();
  // The entry for these bytes (made when missing). Call from one thread at a time; the
  // entries it returns may be used from any thread.
  std::shared_ptr<Entry> Get(const std::string& jpeg);

  size_t Entries() const { return lru_.size(); }
  size_t DecodedBytes() const;

 private:
  void Evict();
  std::shared_ptr<struct CacheBook> book_;
  std::list<std::shared_ptr<Entry>> lru_;  // most recently used first
  std::unordered_map<size_t, std::vector<std::list<std::shared_ptr<Entry>>::iterator>> index_;
};

}  // namespace qv
