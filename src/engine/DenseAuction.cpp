#include "engine/DenseAuction.h"

#include <algorithm>
#include <limits>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define QV_AUCTION_AVX2 1
#endif

namespace qv {
namespace {

// The lowest and second lowest of cost[j] + price[j] over j < n, and the first j with the
// lowest. Costs and prices stay below 2^30, so the sums fit 32 bits.
struct TBestTwo {
  int32_t First = std::numeric_limits<int32_t>::max();
  int32_t Second = std::numeric_limits<int32_t>::max();
  int32_t Column = -1;
};

TBestTwo BestTwoPortable(const uint32_t* cost, const int32_t* price, int32_t n) {
  TBestTwo b;
  for (int32_t j = 0; j < n; ++j) {
    const int32_t x = int32_t(cost[j]) + price[j];
    if (x < b.First) {
      b.Second = b.First;
      b.First = x;
      b.Column = j;
    } else if (x < b.Second) {
      b.Second = x;
    }
  }
  return b;
}

#ifdef QV_AUCTION_AVX2
// Eight lanes each keep their lowest two; the lanes are then merged, and the column found
// again by comparing with the lowest (the first one wins, as in the portable loop).
__attribute__((target("avx2"))) TBestTwo BestTwoAvx2(const uint32_t* cost, const int32_t* price, int32_t n) {
  const int32_t whole = n & ~7;
  __m256i lo1 = _mm256_set1_epi32(std::numeric_limits<int32_t>::max());
  __m256i lo2 = lo1;
  for (int32_t j = 0; j < whole; j += 8) {
    const __m256i x = _mm256_add_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(cost + j)),
                                       _mm256_loadu_si256(reinterpret_cast<const __m256i*>(price + j)));
    lo2 = _mm256_min_epi32(lo2, _mm256_max_epi32(lo1, x));
    lo1 = _mm256_min_epi32(lo1, x);
  }
  alignas(32) int32_t a1[8], a2[8];
  _mm256_store_si256(reinterpret_cast<__m256i*>(a1), lo1);
  _mm256_store_si256(reinterpret_cast<__m256i*>(a2), lo2);
  TBestTwo b;
  auto offer = [&](int32_t x) {
    if (x < b.First) {
      b.Second = b.First;
      b.First = x;
    } else if (x < b.Second) {
      b.Second = x;
    }
  };
  for (int k = 0; k < 8; ++k) {
    offer(a1[k]);
    offer(a2[k]);
  }
  const __m256i first = _mm256_set1_epi32(b.First);
  for (int32_t j = 0; j < whole && b.Column < 0; j += 8) {
    const __m256i x = _mm256_add_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(cost + j)),
                                       _mm256_loadu_si256(reinterpret_cast<const __m256i*>(price + j)));
    const uint32_t mask = uint32_t(_mm256_movemask_ps(_mm256_castsi256_ps(_mm256_cmpeq_epi32(x, first))));
    if (mask) b.Column = j + __builtin_ctz(mask);
  }
  for (int32_t j = whole; j < n; ++j) {
    const int32_t x = int32_t(cost[j]) + price[j];
    if (x < b.First) {
      b.Second = b.First;
      b.First = x;
      b.Column = j;
    } else if (x == b.First && b.Column < 0) {
      b.Second = b.First;
      b.Column = j;
    } else if (x < b.Second) {
      b.Second = x;
    }
  }
  return b;
}
#endif

using BestTwoFn = TBestTwo (*)(const uint32_t*, const int32_t*, int32_t);

BestTwoFn ChooseBestTwo() {
#ifdef QV_AUCTION_AVX2
  if (__builtin_cpu_supports("avx2")) return BestTwoAvx2;
#endif
  return BestTwoPortable;
}

// Prices never pass this; an auction that would is given up (it cannot happen with costs
// within kMaxAuctionCost unless something is wrong).
constexpr int32_t kPriceCeiling = int32_t(1) << 30;

}  // namespace

TAuctionResult SolveDenseAuction(const uint32_t* costs, int32_t rows, int32_t cols, int32_t capacity,
                                 int64_t finalEpsilon, const std::function<bool()>& keepGoing,
                                 const std::function<void(const TAuctionResult&)>& onPhase) {
  TAuctionResult out;
  if (rows < 1 || cols < 1 || capacity < 1 || int64_t(cols) * capacity < rows) return out;
  const BestTwoFn bestTwo = ChooseBestTwo();
  const std::vector<uint32_t> zeros(size_t(cols), 0);  // the cost row of every added row
  const size_t slots = size_t(cols) * size_t(capacity);
  const int32_t all = int32_t(slots);  // rows with the added ones
  auto rowCosts = [&](int32_t r) { return r < rows ? costs + size_t(r) * size_t(cols) : zeros.data(); };
  uint32_t top = 0;
  for (size_t k = 0, e = size_t(rows) * size_t(cols); k < e; ++k) top = std::max(top, costs[k]);
  if (top > kMaxAuctionCost) return out;

  // Column c's places are slots c x capacity ...; the bids see each column's cheapest place
  // (cheapest[c], the first of equals), the next cheapest counting as a second choice.
  std::vector<int32_t> price(slots, 0), owner(slots, -1), slotOf(size_t(all), -1);
  std::vector<int32_t> cheapest(size_t(cols), 0), cheapestSlot(static_cast<size_t>(cols), 0);
  for (int32_t c = 0; c < cols; ++c) cheapestSlot[size_t(c)] = c * capacity;
  auto recheck = [&](int32_t c) {
    const size_t first = size_t(c) * size_t(capacity);
    size_t best = first;
    for (size_t s = first + 1; s < first + size_t(capacity); ++s)
      if (price[s] < price[best]) best = s;
    cheapest[size_t(c)] = price[best];
    cheapestSlot[size_t(c)] = int32_t(best);
  };
  std::vector<int32_t> waiting;
  int64_t epsilon = std::max<int64_t>(finalEpsilon, int64_t(top) / 8);
  finalEpsilon = std::max<int64_t>(1, finalEpsilon);
  for (;;) {
    std::fill(owner.begin(), owner.end(), -1);
    std::fill(slotOf.begin(), slotOf.end(), -1);
    waiting.resize(size_t(all));
    for (int32_t r = 0; r < all; ++r) waiting[size_t(r)] = all - 1 - r;  // row 0 bids first
    while (!waiting.empty()) {
      if ((++out.Bids & 255) == 0 && keepGoing && !keepGoing()) return out;
      const int32_t r = waiting.back();
      waiting.pop_back();
      const TBestTwo b = bestTwo(rowCosts(r), cheapest.data(), cols);
      const int32_t c = b.Column;
      const size_t slot = size_t(cheapestSlot[size_t(c)]);
      int64_t second = cols > 1 ? b.Second : b.First;
      if (capacity > 1) {
        // The column's next cheapest place is a second choice too.
        int64_t next = std::numeric_limits<int64_t>::max();
        for (size_t s = size_t(c) * size_t(capacity); s < size_t(c + 1) * size_t(capacity); ++s)
          if (s != slot) next = std::min<int64_t>(next, price[s]);
        second = std::min(second, int64_t(rowCosts(r)[c]) + next);
      }
      const int64_t raised = int64_t(price[slot]) + (second - b.First) + epsilon;
      if (raised > kPriceCeiling) return out;
      price[slot] = int32_t(raised);
      if (owner[slot] >= 0) {
        slotOf[size_t(owner[slot])] = -1;
        waiting.push_back(owner[slot]);
      }
      owner[slot] = r;
      slotOf[size_t(r)] = int32_t(slot);
      if (capacity > 1)
        recheck(c);
      else
        cheapest[size_t(c)] = price[slot];
    }
    ++out.Phases;
    out.ColumnOf.resize(size_t(rows));
    for (int32_t r = 0; r < rows; ++r) out.ColumnOf[size_t(r)] = slotOf[size_t(r)] / capacity;
    out.Epsilon = epsilon;
    if (onPhase) onPhase(out);
    if (epsilon <= finalEpsilon) break;
    epsilon = std::max(finalEpsilon, epsilon / 5);
  }
  return out;
}

}  // namespace qv
