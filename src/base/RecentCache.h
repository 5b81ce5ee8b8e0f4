#pragma once
// A cache that keeps the most recently used values within a byte budget. Each value is stored
// with its size in bytes, as its owner counts them; storing a value drops the least recently
// used ones until the rest fit the budget. The value just stored always stays, even when it
// alone is larger than the budget, so that a caller can find again what it has just stored;
// it goes with the next store. A value handed out as a shared pointer outlives its entry.
//
// Not thread-safe: an owner shared between threads locks around every call (and around the
// use of a pointer Find returned).
#include <cstddef>
#include <functional>
#include <list>
#include <unordered_map>
#include <utility>

namespace qv {

template <class Key, class Value, class Hash = std::hash<Key>, class Equal = std::equal_to<Key>>
class TRecentCache {
 public:
  explicit TRecentCache(size_t budget) : budget_(budget) {}
  TRecentCache(const TRecentCache&) = delete;
  TRecentCache& operator=(const TRecentCache&) = delete;

  // The value under key, made the most recent; nullptr when there is none. The pointer stays
  // valid until the entry is dropped.
  Value* Find(const Key& key) {
    auto it = index_.find(key);
    if (it == index_.end()) return nullptr;
    items_.splice(items_.begin(), items_, it->second);
    return &it->second->value;
  }

  // Stores value under key as the most recent (replacing what was there), then drops the
  // least recently used others until the bytes fit the budget.
  Value& Put(const Key& key, Value value, size_t bytes) {
    Item item{key, std::move(value), bytes};  // key may be one of the stored keys
    Erase(item.key);
    items_.push_front(std::move(item));
    index_.emplace(std::cref(items_.front().key), items_.begin());
    bytes_ += bytes;
    Trim();
    return items_.front().value;
  }

  // Drops the value under key; false when there is none.
  bool Erase(const Key& key) {
    auto it = index_.find(key);
    if (it == index_.end()) return false;
    const auto item = it->second;
    bytes_ -= item->bytes;
    index_.erase(it);
    items_.erase(item);
    return true;
  }

  void Clear() {
    index_.clear();
    items_.clear();
    bytes_ = 0;
  }

  // A smaller budget drops the least recently used values at once (the most recent stays).
  void SetBudget(size_t budget) {
    budget_ = budget;
    Trim();
  }

  size_t Budget() const { return budget_; }
  size_t Count() const { return items_.size(); }
  size_t Bytes() const { return bytes_; }

 private:
  struct Item {
    Key key;
    Value value;
    size_t bytes;
  };
  // The index refers to the keys kept in the items, so that every key is held once.
  using KeyRef = std::reference_wrapper<const Key>;
  struct RefHash {
    size_t operator()(KeyRef k) const { return Hash()(k.get()); }
  };
  struct RefEqual {
    bool operator()(KeyRef a, KeyRef b) const { return Equal()(a.get(), b.get()); }
  };

  void Trim() {
    while (bytes_ > budget_ && items_.size() > 1) {
      const Item& last = items_.back();
      bytes_ -= last.bytes;
      index_.erase(std::cref(last.key));
      items_.pop_back();
    }
  }

  size_t budget_;
  size_t bytes_ = 0;
  std::list<Item> items_;  // the most recent first
  std::unordered_map<KeyRef, typename std::list<Item>::iterator, RefHash, RefEqual> index_;
};

}  // namespace qv
