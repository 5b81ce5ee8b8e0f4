#include "engine/Optimizer.h"

#include <algorithm>

namespace qv::optimizer {

int32_t Optimizer::AssignExactly(const std::function<bool()>& keepGoing, int threads,
                                 const std::function<void(int32_t)>& solved) {
  if (AuctionFits()) {
    // Each phase of the auction ends with a complete assignment, taken when it lowers the
    // total; the last is within one unit of distance per cell of the optimum.
    int32_t changed = 0;
    SolveDenseAuction(dense_.data(), int32_t(cells_.size()), n0_, s_.Rules.Repeat, 1, keepGoing,
                      [&](const TAuctionResult& phase) {
                        changed += TakeAssignment(phase.ColumnOf);
                        solved(changed);
                      });
    CountUses();
    std::vector<uint32_t>().swap(dense_);
    return changed;
  }
  std::vector<std::vector<TCandidate>> pairs(cells_.size());
  {
    std::vector<int32_t> index(size_t(cols_) * size_t(rows_), -1);
    for (size_t i = 0; i < cells_.size(); ++i) index[size_t(cells_[i])] = int32_t(i);
    std::vector<size_t> listed(size_t(n0_) + 1, SIZE_MAX);
    auto add = [&](size_t i, const TCandidate& k) {
      if (listed[size_t(k.Tile)] == i) return;
      listed[size_t(k.Tile)] = i;
      pairs[i].push_back(k);
    };
    for (size_t i = 0; i < cells_.size(); ++i) {
      const int32_t c = cells_[i];
      for (const TCandidate& k : candidates_[size_t(c)]) add(i, k);
      TCandidate own = BestOrientation(c, tile_[size_t(c)]);
      if (own.Record == 0) own = {tile_[size_t(c)], record_[size_t(c)], cost_[size_t(c)]};
      add(i, own);
    }
    std::fill(listed.begin(), listed.end(), SIZE_MAX);
    for (size_t t = 1; t < tileCells_.size(); ++t)
      for (const TCellCandidate& cc : tileCells_[t]) {
        const size_t i = size_t(index[size_t(cc.Cell)]);
        if (std::find_if(pairs[i].begin(), pairs[i].end(), [&](const TCandidate& k) { return k.Tile == int32_t(t); }) ==
            pairs[i].end())
          pairs[i].push_back({int32_t(t), cc.Record, cc.Distance});
      }
  }
  int32_t changed = 0;
  std::vector<int64_t> potentials;
  for (;;) {
    TAssignmentProblem p;
    p.Capacity.assign(size_t(n0_), s_.Rules.Repeat);  // tile t is column t - 1
    std::vector<int32_t> records;                     // per pair, the record it shows
    for (const std::vector<TCandidate>& row : pairs) {
      for (const TCandidate& k : row) {
        p.Edges.push_back({k.Tile - 1, int64_t(k.Distance)});
        records.push_back(k.Record);
      }
      p.EndRow();
    }
    const TAssignmentSolution solution = SolveAssignment(p, keepGoing, potentials);
    if (solution.Outcome != TAssignmentOutcome::Solved) break;
    if (uint64_t(solution.Cost) < Total()) {
      for (size_t i = 0; i < cells_.size(); ++i) {
        const size_t k = solution.Edge[i];
        const int32_t c = cells_[i];
        if (records[k] == record_[size_t(c)]) continue;
        Place(c, p.Edges[k].Col + 1, records[k], uint64_t(p.Edges[k].Cost));
        ++changed;
      }
    }
    solved(changed);
    if (dense_.empty() || !keepGoing()) break;
    potentials = solution.ColPotentials;
    if (AddUnderpricedPairs(solution.RowPotentials, potentials, threads, pairs) == 0) break;
  }
  CountUses();
  std::vector<uint32_t>().swap(dense_);
  return changed;
}

int32_t Optimizer::TakeAssignment(const std::vector<int32_t>& columnOf) {
  uint64_t total = 0;
  for (size_t i = 0; i < cells_.size(); ++i) {
    const uint32_t d = dense_[i * size_t(n0_) + size_t(columnOf[i])];
    if (d == kUnusable) return 0;
    total += d;
  }
  if (total >= Total()) return 0;
  int32_t changed = 0;
  for (size_t i = 0; i < cells_.size(); ++i) {
    const int32_t c = cells_[i];
    const TCandidate k = BestOrientation(c, columnOf[i] + 1);
    if (k.Record == record_[size_t(c)]) continue;
    Place(c, k.Tile, k.Record, k.Distance);
    ++changed;
  }
  return changed;
}

}  // namespace qv::optimizer
