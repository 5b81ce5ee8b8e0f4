#pragma once
// Decoded tile thumbnails shared by the cells of one output run: a thumbnail used by many
// cells is decoded once. Entries are keyed by the thumbnail's JPEG bytes (so two records
// holding the same bytes share one picture) and decoded on first use, on whichever thread
// asks first. The cache keeps at most a byte budget of pictures, counted by the size their
// headers give, dropping the least recently asked-for ones; a picture still in use by a cell
// outlives its entry.
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "base/RecentCache.h"
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
    std::string jpeg_;  // also the entry's key in the cache
    std::once_flag once_;
    Bitmap32 picture_;
    bool ok_ = false;
  };

  explicit ThumbCache(size_t budgetBytes = size_t(256) << 20);
  // The entry for these bytes (made when missing). Call from one thread at a time; the
  // entries it returns may be used from any thread.
  std::shared_ptr<Entry> Get(const std::string& jpeg);

  size_t Entries() const { return entries_.Count(); }
  // The bytes of the pictures held, decoded or still to be decoded.
  size_t PictureBytes() const { return entries_.Bytes(); }

 private:
  // Keyed by a view of each entry's own bytes, which live as long as the entry is held.
  TRecentCache<std::string_view, std::shared_ptr<Entry>> entries_;
};

}  // namespace qv
