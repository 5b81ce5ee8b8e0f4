#include "engine/Optimizer.h"

#include <algorithm>

namespace qv::optimizer {

int64_t Optimizer::BlockSweep(int32_t offsetX, int32_t offsetY, const std::function<bool()>& keepGoing) {
  const int32_t side = BlockSide();
  int64_t changed = 0;
  for (int32_t top = offsetY % side - side; top < rows_; top += side)
    for (int32_t left = offsetX % side - side; left < cols_; left += side) {
      if (!keepGoing()) return changed;
      changed +=
          SolveBlock(std::max(0, left), std::max(0, top), std::min(left + side, cols_), std::min(top + side, rows_));
    }
  return changed;
}

bool Optimizer::Kick(std::mt19937_64& rng) {
  const int32_t side = BlockSide();
  const int32_t left = int32_t(rng() % uint64_t(cols_)), top = int32_t(rng() % uint64_t(rows_));
  const int32_t x0 = std::max(0, left - side), x1 = std::min(cols_, left + 2 * side);
  const int32_t y0 = std::max(0, top - side), y1 = std::min(rows_, top + 2 * side);
  struct Saved {
    int32_t Cell, Tile, Record;
    uint64_t Cost;
  };
  std::vector<Saved> saved;
  uint64_t before = 0;
  for (int32_t r = y0; r < y1; ++r)
    for (int32_t c = x0; c < x1; ++c) {
      const int32_t a = r * cols_ + c;
      if (!movable_[size_t(a)]) continue;
      saved.push_back({a, tile_[size_t(a)], record_[size_t(a)], cost_[size_t(a)]});
      before += cost_[size_t(a)];
    }
  if (SolveBlock(left, top, std::min(cols_, left + side), std::min(rows_, top + side), &rng) == 0) return false;
  auto solveAt = [&](int32_t bx, int32_t by) {
    const int32_t l = std::max(x0, bx), t = std::max(y0, by);
    const int32_t r = std::min(x1, bx + side), b = std::min(y1, by + side);
    if (l < r && t < b) SolveBlock(l, t, r, b);
  };
  for (int32_t by = top - side; by <= top + side; by += side)
    for (int32_t bx = left - side; bx <= left + side; bx += side)
      if (bx != left || by != top) solveAt(bx, by);
  const int32_t half = side / 2;
  for (int32_t by = top - side + half; by < y1; by += side)
    for (int32_t bx = left - side + half; bx < x1; bx += side) solveAt(bx, by);
  solveAt(left, top);
  uint64_t after = 0;
  for (const Saved& v : saved) after += cost_[size_t(v.Cell)];
  if (after < before) return true;
  for (const Saved& v : saved) {
    const int32_t now = tile_[size_t(v.Cell)];
    if (now != v.Tile) {
      auto& h = holders_[size_t(now)];
      h.erase(std::find(h.begin(), h.end(), v.Cell));
      holders_[size_t(v.Tile)].push_back(v.Cell);
      --uses_[size_t(now)];
      ++uses_[size_t(v.Tile)];
    }
    Place(v.Cell, v.Tile, v.Record, v.Cost);
  }
  return false;
}

void Optimizer::StartBlockRow(int32_t a, const std::vector<int32_t>& tile) {
  ++stamp_;
  const int32_t d = s_.Rules.Distance, col = a % cols_, row = a / cols_;
  for (int32_t r = std::max(0, row - d); r <= std::min(rows_ - 1, row + d); ++r)
    for (int32_t c = std::max(0, col - d); c <= std::min(cols_ - 1, col + d); ++c) {
      const int32_t o = r * cols_ + c, t = tile[size_t(o)];
      if (!freed_[size_t(o)] && t > 0 && t <= n0_) forbidden_[size_t(t)] = stamp_;
    }
}

bool Optimizer::AddBlockPair(const TCandidate& k, const std::vector<int32_t>& uses, TAssignmentProblem& p,
                             std::vector<int32_t>& records, std::vector<int32_t>& tiles) {
  const size_t t = size_t(k.Tile);
  if (k.Record == 0 || forbidden_[t] == stamp_ || listed_[t] == stamp_) return false;
  if (s_.Rules.Repeat > 0 && uses[t] >= s_.Rules.Repeat) return false;
  listed_[t] = stamp_;
  if (column_[t] < 0) {
    column_[t] = int32_t(tiles.size());
    tiles.push_back(k.Tile);
  }
  p.Edges.push_back({column_[t], int64_t(k.Distance)});
  records.push_back(k.Record);
  return true;
}

int32_t Optimizer::ComposeByBlocks(const std::function<bool()>& keepGoing) {
  const int32_t side = BlockSide();
  if (freed_.empty()) {
    freed_.assign(tile_.size(), 0);
    forbidden_.assign(size_t(n0_) + 1, 0);
    listed_.assign(size_t(n0_) + 1, 0);
    column_.assign(size_t(n0_) + 1, -1);
  }
  // The new mosaic: kept cells as they are, movable cells empty until their block comes.
  std::vector<int32_t> tile(tile_.size()), record(tile_.size(), 0);
  std::vector<uint64_t> cost(tile_.size(), 0);
  for (size_t c = 0; c < tile_.size(); ++c) tile[c] = movable_[c] ? 0 : tile_[c];
  std::vector<int32_t> uses(size_t(n0_) + 1, 0);
  uint64_t total = 0;
  bool wide = false;
  for (int32_t top = 0; top < rows_; top += side)
    for (int32_t left = 0; left < cols_; left += side) {
      if (!keepGoing()) return 0;
      block_.clear();
      for (int32_t r = top; r < std::min(top + side, rows_); ++r)
        for (int32_t c = left; c < std::min(left + side, cols_); ++c)
          if (movable_[size_t(r * cols_ + c)]) block_.push_back(r * cols_ + c);
      if (block_.empty()) continue;
      TAssignmentProblem p;
      std::vector<int32_t> records, tiles;
      for (int32_t a : block_) {
        StartBlockRow(a, tile);
        size_t allowed = 0;
        auto add = [&](const TCandidate& k) { allowed += AddBlockPair(k, uses, p, records, tiles); };
        for (const TCandidate& k : candidates_[size_t(a)]) add(k);
        // Too few of the listed tiles left: the closest of all the others that are allowed.
        if (allowed < std::min<size_t>(block_.size(), 8) || wide) {
          std::vector<TCandidate> more;
          for (int32_t t = 1; t <= n0_; ++t) {
            if (forbidden_[size_t(t)] == stamp_ || listed_[size_t(t)] == stamp_) continue;
            const TCandidate k = BestOrientation(a, t);
            if (k.Record != 0) more.push_back(k);
          }
          const size_t keep = std::min(more.size(), block_.size());
          std::partial_sort(more.begin(), more.begin() + ptrdiff_t(keep), more.end(),
                            [](const TCandidate& x, const TCandidate& y) {
                              return x.Distance < y.Distance || (x.Distance == y.Distance && x.Tile < y.Tile);
                            });
          for (size_t i = 0; i < keep; ++i) add(more[i]);
        }
        p.EndRow();
      }
      p.Capacity.assign(tiles.size(), 1);
      const TAssignmentSolution solution = SolveAssignment(p);
      for (int32_t t : tiles) column_[size_t(t)] = -1;
      if (solution.Outcome != TAssignmentOutcome::Solved) {
        if (wide) return 0;
        wide = true;  // once more with more tiles for every cell
        left -= side;
        continue;
      }
      wide = false;
      for (size_t i = 0; i < block_.size(); ++i) {
        const size_t k = solution.Edge[i];
        const int32_t a = block_[i];
        tile[size_t(a)] = tiles[size_t(p.Edges[k].Col)];
        record[size_t(a)] = records[k];
        cost[size_t(a)] = uint64_t(p.Edges[k].Cost);
        ++uses[size_t(tile[size_t(a)])];
        total += cost[size_t(a)];
      }
    }
  if (total >= Total()) return 0;
  int32_t changed = 0;
  for (int32_t a : cells_) {
    if (record[size_t(a)] != record_[size_t(a)]) ++changed;
    Place(a, tile[size_t(a)], record[size_t(a)], cost[size_t(a)]);
  }
  CountUses();
  return changed;
}

int32_t Optimizer::SolveBlock(int32_t left, int32_t top, int32_t right, int32_t bottom, std::mt19937_64* disturb) {
  block_.clear();
  for (int32_t r = top; r < bottom; ++r)
    for (int32_t c = left; c < right; ++c)
      if (movable_[size_t(r * cols_ + c)]) block_.push_back(r * cols_ + c);
  if (block_.size() < 2) return 0;
  if (freed_.empty()) {
    freed_.assign(tile_.size(), 0);
    forbidden_.assign(size_t(n0_) + 1, 0);
    listed_.assign(size_t(n0_) + 1, 0);
    column_.assign(size_t(n0_) + 1, -1);
  }
  uint64_t before = 0;
  for (int32_t a : block_) {
    freed_[size_t(a)] = 1;
    --uses_[size_t(tile_[size_t(a)])];
    before += cost_[size_t(a)];
  }
  TAssignmentProblem p;
  std::vector<int32_t> records, tiles;  // per pair; per column
  for (int32_t a : block_) {
    StartBlockRow(a, tile_);
    auto add = [&](const TCandidate& k) { AddBlockPair(k, uses_, p, records, tiles); };
    TCandidate own = BestOrientation(a, tile_[size_t(a)]);
    if (own.Record == 0 || own.Distance > cost_[size_t(a)])
      own = {tile_[size_t(a)], record_[size_t(a)], cost_[size_t(a)]};
    add(own);
    for (const TCandidate& k : candidates_[size_t(a)]) add(k);
    for (int32_t b : block_)
      if (b != a) add(BestOrientation(a, tile_[size_t(b)]));
    p.EndRow();
  }
  p.Capacity.assign(tiles.size(), 1);
  std::vector<int64_t> distances;
  if (disturb) {
    distances.reserve(p.Edges.size());
    for (TAssignmentEdge& e : p.Edges) {
      distances.push_back(e.Cost);
      e.Cost = e.Cost * int64_t(900 + (*disturb)() % 201) / 1000;
    }
  }
  const TAssignmentSolution solution = SolveAssignment(p);
  const bool better = solution.Outcome == TAssignmentOutcome::Solved && (disturb || uint64_t(solution.Cost) < before);
  int32_t changed = 0;
  for (size_t i = 0; i < block_.size(); ++i) {
    const int32_t a = block_[i];
    freed_[size_t(a)] = 0;
    if (better) {
      const size_t k = solution.Edge[i];
      const int32_t t = tiles[size_t(p.Edges[k].Col)], old = tile_[size_t(a)];
      if (records[k] != record_[size_t(a)]) ++changed;
      if (t != old) {
        auto& h = holders_[size_t(old)];
        h.erase(std::find(h.begin(), h.end(), a));
        holders_[size_t(t)].push_back(a);
      }
      Place(a, t, records[k], uint64_t(disturb ? distances[k] : p.Edges[k].Cost));
    }
    ++uses_[size_t(tile_[size_t(a)])];
  }
  for (int32_t t : tiles) column_[size_t(t)] = -1;
  return changed;
}

}  // namespace qv::optimizer
