#include "base/RecentCache.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace qv {
namespace {

using Cache = TRecentCache<std::string, int>;

std::vector<std::string> KeysOf(Cache& c, const std::vector<std::string>& candidates) {
  std::vector<std::string> held;
  for (const auto& k : candidates)
    if (c.Find(k)) held.push_back(k);
  return held;
}

TEST(RecentCache, DropsTheLeastRecentlyUsedToStayWithinTheBudget) {
  Cache c(100);
  c.Put("a", 1, 40);
  c.Put("b", 2, 40);
  EXPECT_EQ(c.Bytes(), 80u);
  ASSERT_NE(c.Find("a"), nullptr);  // a is now more recent than b
  c.Put("c", 3, 40);                // 120 bytes: b, the least recently used, goes
  EXPECT_EQ(c.Find("b"), nullptr);
  EXPECT_EQ(*c.Find("a"), 1);
  EXPECT_EQ(*c.Find("c"), 3);
  EXPECT_EQ(c.Count(), 2u);
  EXPECT_EQ(c.Bytes(), 80u);

  // Storing under a key that is held replaces the value and its size.
  c.Put("a", 10, 60);
  EXPECT_EQ(*c.Find("a"), 10);
  EXPECT_EQ(c.Bytes(), 100u);  // exactly the budget: nothing goes
  EXPECT_EQ(c.Count(), 2u);
  // One value may make several go.
  c.Put("d", 4, 5);
  c.Put("e", 5, 90);
  EXPECT_EQ(KeysOf(c, {"a", "c", "d", "e"}), (std::vector<std::string>{"d", "e"}));
  EXPECT_EQ(c.Bytes(), 95u);

  EXPECT_TRUE(c.Erase("d"));
  EXPECT_FALSE(c.Erase("d"));
  EXPECT_EQ(c.Bytes(), 90u);
  c.Clear();
  EXPECT_EQ(c.Count(), 0u);
  EXPECT_EQ(c.Bytes(), 0u);
  EXPECT_EQ(c.Find("e"), nullptr);
}

TEST(RecentCache, AValueLargerThanTheBudgetStaysAloneUntilTheNextStore) {
  Cache c(100);
  c.Put("a", 1, 30);
  c.Put("b", 2, 30);
  c.Put("huge", 3, 250);
  EXPECT_EQ(KeysOf(c, {"a", "b", "huge"}), (std::vector<std::string>{"huge"}));
  EXPECT_EQ(c.Bytes(), 250u);
  c.Put("c", 4, 30);
  EXPECT_EQ(KeysOf(c, {"huge", "c"}), (std::vector<std::string>{"c"}));
  EXPECT_EQ(c.Bytes(), 30u);

  // With no budget at all the cache holds just the last value.
  Cache none(0);
  none.Put("x", 1, 1);
  none.Put("y", 2, 1);
  EXPECT_EQ(none.Count(), 1u);
  EXPECT_NE(none.Find("y"), nullptr);

  // A smaller budget takes effect at once, the most recent value staying.
  Cache shrink(100);
  for (int i = 0; i < 5; ++i) shrink.Put(std::to_string(i), i, 20);
  shrink.Find("0");
  shrink.SetBudget(40);
  EXPECT_EQ(KeysOf(shrink, {"0", "1", "2", "3", "4"}), (std::vector<std::string>{"0", "4"}));
  shrink.SetBudget(1);
  EXPECT_EQ(shrink.Count(), 1u);
  EXPECT_EQ(shrink.Bytes(), 20u);
}

TEST(RecentCache, SharedValuesOutliveTheirEntries) {
  TRecentCache<int, std::shared_ptr<std::string>> c(10);
  auto first = c.Put(1, std::make_shared<std::string>("first"), 10);
  c.Put(2, std::make_shared<std::string>("second"), 10);
  EXPECT_EQ(c.Find(1), nullptr);
  EXPECT_EQ(*first, "first");
  EXPECT_EQ(first.use_count(), 1);  // the cache let go of it
}

// A long random sequence of stores, look-ups, erasures and budget changes against a plain
// list kept in order of use.
TEST(RecentCache, FollowsAPlainModelOverARandomSequence) {
  struct Entry {
    int key, value;
    size_t bytes;
  };
  std::vector<Entry> model;  // the most recent first
  auto modelBytes = [&] {
    size_t b = 0;
    for (const auto& e : model) b += e.bytes;
    return b;
  };
  size_t budget = 200;
  TRecentCache<int, int> c(budget);
  std::mt19937 rng(12);
  for (int step = 0; step < 20000; ++step) {
    const int key = int(rng() % 40);
    auto held = std::find_if(model.begin(), model.end(), [&](const Entry& e) { return e.key == key; });
    switch (rng() % 8) {
      case 0:
      case 1:
      case 2: {
        const int* v = c.Find(key);
        ASSERT_EQ(v != nullptr, held != model.end()) << step;
        if (held != model.end()) {
          ASSERT_EQ(*v, held->value);
          std::rotate(model.begin(), held, held + 1);
        }
        break;
      }
      case 3:
        ASSERT_EQ(c.Erase(key), held != model.end());
        if (held != model.end()) model.erase(held);
        break;
      case 4:
        if (rng() % 50 == 0) {
          budget = rng() % 400;
          c.SetBudget(budget);
          while (modelBytes() > budget && model.size() > 1) model.pop_back();
        }
        break;
      default: {
        const int value = int(rng());
        const size_t bytes = rng() % 10 == 0 ? 150 + rng() % 300 : rng() % 40;
        c.Put(key, value, bytes);
        if (held != model.end()) model.erase(held);
        model.insert(model.begin(), Entry{key, value, bytes});
        while (modelBytes() > budget && model.size() > 1) model.pop_back();
        break;
      }
    }
    ASSERT_EQ(c.Count(), model.size()) << step;
    ASSERT_EQ(c.Bytes(), modelBytes()) << step;
  }
}

}  // namespace
}  // namespace qv
