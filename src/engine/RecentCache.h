#pragma once
// A small cache of values under 64-bit keys that keeps the most recently used ones within a
// byte limit. The caller gives each value's size and the limit when it stores a value, so a
// limit changed between two calls takes effect at the next one; a limit of 0 stores nothing.
// Not thread-safe: each cache belongs to one table, used by one thread.
#include <cstddef>
#include <cstdint>
#include <list>
#include <unordered_map>
#include <utility>

namespace qv {

template <class Value>
class TRecentCache {
 public:
  // The value under key, made the most recent; nullptr when there is none.
  Value* Find(uint64_t key) {
    auto it = index_.find(key);
    if (it == index_.end()) return nullptr;
    items_.splice(items_.begin(), items_, it->second);
    return &it->second->value;
  }

  // Stores value under key (replacing what was there), then drops the least recently used
  // values until the rest fit the limit. A value larger than the limit is not kept.
  void Put(uint64_t key, Value value, size_t bytes, size_t limit) {
    Erase(key);
    if (bytes > limit) {
      Trim(limit);
      return;
    }
    items_.push_front(Item{key, std::move(value), bytes});
    index_[key] = items_.begin();
    bytes_ += bytes;
    Trim(limit);
  }

  void Erase(uint64_t key) {
    auto it = index_.find(key);
    if (it == index_.end()) return;
    bytes_ -= it->second->bytes;
    items_.erase(it->second);
    index_.erase(it);
  }

  void Clear() {
    items_.clear();
    index_.clear();
    bytes_ = 0;
  }

  size_t Count() const { return items_.size(); }
  size_t Bytes() const { return bytes_; }

 private:
  struct Item {
    uint64_t key;
    Value value;
    size_t bytes;
  };
  void Trim(size_t limit) {
    while (bytes_ > limit && !items_.empty()) {
      bytes_ -= items_.back().bytes;
      index_.erase(items_.back().key);
      items_.pop_back();
    }
  }
  std::list<Item> items_;  // most recent first
  std::unordered_map<uint64_t, typename std::list<Item>::iterator> index_;
  size_t bytes_ = 0;
};

}  // namespace qv
