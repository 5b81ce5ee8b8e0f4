#include "engine/Optimizer.h"

#include <algorithm>

namespace qv::optimizer {

void Optimizer::ListCandidates(int threads, size_t perTile, bool keepAll) {
  // Under a Distance rule the block moves want at least twice a block's cells.
  const int32_t blockCells = s_.Rules.Distance > 0 ? 2 * BlockSide() * BlockSide() : 0;
  const size_t k = size_t(s_.Candidates > 0 ? s_.Candidates : std::max(s_.Rules.Repeat > 0 ? 128 : 32, blockCells));
  candidates_.assign(size_t(cols_) * size_t(rows_), {});
  dense_.clear();
  if (keepAll && KeepsAllPairs()) dense_.resize(cells_.size() * size_t(n0_));
  const size_t n = size_t(std::max(1, threads));
  // Orders with the closest first and ties by cell, so that the merged lists do not depend
  // on how the cells were shared out.
  auto closerCell = [](const TCellCandidate& a, const TCellCandidate& b) {
    return a.Distance < b.Distance || (a.Distance == b.Distance && a.Cell < b.Cell);
  };
  std::vector<std::vector<std::vector<TCellCandidate>>> tileHeaps(n);
  auto work = [&](size_t from, size_t step) {
    std::vector<TCandidate> heap;
    auto farther = [](const TCandidate& a, const TCandidate& b) {
      return a.Distance < b.Distance || (a.Distance == b.Distance && a.Tile < b.Tile);
    };
    std::vector<std::vector<TCellCandidate>>& perTileHeaps = tileHeaps[from];
    if (perTile > 0) perTileHeaps.assign(size_t(n0_) + 1, {});
    for (size_t i = from; i < cells_.size(); i += step) {
      const int32_t c = cells_[i];
      heap.clear();
      uint32_t* row = dense_.empty() ? nullptr : dense_.data() + i * size_t(n0_);
      for (int32_t t = 1; t <= n0_; ++t) {
        const TCandidate cand = BestOrientation(c, t);
        if (row) row[t - 1] = cand.Record == 0 ? kUnusable : uint32_t(cand.Distance);
        if (cand.Record == 0) continue;
        if (perTile > 0) {
          std::vector<TCellCandidate>& th = perTileHeaps[size_t(t)];
          const TCellCandidate cc{c, cand.Record, cand.Distance};
          if (th.size() < perTile) {
            th.push_back(cc);
            std::push_heap(th.begin(), th.end(), closerCell);
          } else if (closerCell(cc, th.front())) {
            std::pop_heap(th.begin(), th.end(), closerCell);
            th.back() = cc;
            std::push_heap(th.begin(), th.end(), closerCell);
          }
        }
        if (heap.size() < k) {
          heap.push_back(cand);
          std::push_heap(heap.begin(), heap.end(), farther);
        } else if (farther(cand, heap.front())) {
          std::pop_heap(heap.begin(), heap.end(), farther);
          heap.back() = cand;
          std::push_heap(heap.begin(), heap.end(), farther);
        }
      }
      std::sort_heap(heap.begin(), heap.end(), farther);
      candidates_[size_t(c)] = heap;
    }
  };
  OnThreads(n, work);
  tileCells_.assign(perTile > 0 ? size_t(n0_) + 1 : 0, {});
  for (size_t t = 1; t < tileCells_.size(); ++t) {
    std::vector<TCellCandidate>& merged = tileCells_[t];
    for (auto& heaps : tileHeaps) merged.insert(merged.end(), heaps[t].begin(), heaps[t].end());
    std::sort(merged.begin(), merged.end(), closerCell);
    if (merged.size() > perTile) merged.resize(perTile);
  }
}

bool Optimizer::AuctionFits() const {
  const int64_t places = int64_t(n0_) * s_.Rules.Repeat;
  return s_.Rules.Repeat > 0 && int64_t(cells_.size()) <= places && places <= 3 * int64_t(cells_.size()) &&
         KeepsAllPairs();
}

bool Optimizer::KeepsAllPairs() const {
  return uint64_t(cells_.size()) * uint64_t(n0_) <= kMaxKeptPairs &&
         uint64_t(lib_.SigSize) * 255u * 255u < uint64_t(kUnusable);
}

size_t Optimizer::AddUnderpricedPairs(const std::vector<int64_t>& u, const std::vector<int64_t>& v, int threads,
                                      std::vector<std::vector<TCandidate>>& pairs) const {
  constexpr size_t perCell = 16, perTile = 16;
  using Priced = std::pair<int64_t, int32_t>;  // reduced cost, tile or cell index
  const size_t n = size_t(std::max(1, threads));
  std::vector<std::vector<std::vector<Priced>>> tileHeaps(n);
  std::vector<std::vector<std::vector<int32_t>>> found(n);
  auto push = [](std::vector<Priced>& heap, size_t most, Priced x) {
    if (heap.size() < most) {
      heap.push_back(x);
      std::push_heap(heap.begin(), heap.end());
    } else if (x < heap.front()) {
      std::pop_heap(heap.begin(), heap.end());
      heap.back() = x;
      std::push_heap(heap.begin(), heap.end());
    }
  };
  auto work = [&](size_t from, size_t step) {
    std::vector<Priced> heap;
    std::vector<std::vector<Priced>>& th = tileHeaps[from];
    th.assign(size_t(n0_), {});
    std::vector<std::vector<int32_t>>& mine = found[from];
    mine.assign(cells_.size(), {});
    for (size_t i = from; i < cells_.size(); i += step) {
      heap.clear();
      const uint32_t* costs = dense_.data() + i * size_t(n0_);
      const int64_t ui = u[i];
      for (int32_t t = 0; t < n0_; ++t) {
        if (costs[t] == kUnusable) continue;
        const int64_t reduced = int64_t(costs[t]) - ui - v[size_t(t)];
        if (reduced >= 0) continue;
        push(heap, perCell, {reduced, t});
        if (perTile) push(th[size_t(t)], perTile, {reduced, int32_t(i)});
      }
      for (const auto& [reduced, t] : heap) mine[i].push_back(t);
    }
  };
  OnThreads(n, work);
  // Per cell the tiles found, without repeats, in a fixed order.
  std::vector<std::vector<int32_t>> add(cells_.size());
  for (size_t k = 0; k < n; ++k)
    for (size_t i = 0; i < cells_.size(); ++i) add[i].insert(add[i].end(), found[k][i].begin(), found[k][i].end());
  std::vector<Priced> merged;
  for (int32_t t = 0; t < n0_ && perTile; ++t) {
    merged.clear();
    for (size_t k = 0; k < n; ++k)
      merged.insert(merged.end(), tileHeaps[k][size_t(t)].begin(), tileHeaps[k][size_t(t)].end());
    std::sort(merged.begin(), merged.end());
    if (merged.size() > perTile) merged.resize(perTile);
    for (const auto& [reduced, i] : merged) add[size_t(i)].push_back(t);
  }
  size_t total = 0;
  for (size_t i = 0; i < cells_.size(); ++i) {
    std::sort(add[i].begin(), add[i].end());
    add[i].erase(std::unique(add[i].begin(), add[i].end()), add[i].end());
    for (int32_t t : add[i]) pairs[i].push_back(BestOrientation(cells_[i], t + 1));
    total += add[i].size();
  }
  return total;
}

}  // namespace qv::optimizer
