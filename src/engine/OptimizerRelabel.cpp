#include <algorithm>

#include "engine/Optimizer.h"

namespace qv::optimizer {
int32_t Optimizer::ComposeByResidues(const std::function<bool()>& keepGoing, int threads) {
  const int32_t p = s_.Rules.Distance + 1;
  if (dense_.empty() || s_.Rules.Repeat != 0 || cells_.size() != tile_.size() || p > cols_ || p > rows_) return 0;
  const size_t m = cells_.size(), n0 = size_t(n0_);
  const size_t classes = size_t(p) * size_t(p);
  std::vector<std::vector<int32_t>> members(classes);  // per class, its cells' indices in cells_
  for (size_t i = 0; i < m; ++i) {
    const int32_t c = cells_[i];
    members[size_t(c % cols_ % p) * size_t(p) + size_t(c / cols_ % p)].push_back(int32_t(i));
  }
  auto classOf = [&](int32_t c) { return int32_t(c % cols_ % p) * p + c / cols_ % p; };
  // The share to start from: each tile to the class where it stands most often.
  std::vector<int32_t> tileClass(n0 + 1, -1);
  std::vector<std::vector<int32_t>> pool(classes);  // per class, its tiles
  {
    std::vector<int32_t> count(classes);
    for (int32_t t = 1; t <= n0_; ++t) {
      if (holders_[size_t(t)].empty()) continue;
      std::fill(count.begin(), count.end(), 0);
      for (int32_t c : holders_[size_t(t)]) ++count[size_t(classOf(c))];
      tileClass[size_t(t)] = int32_t(std::max_element(count.begin(), count.end()) - count.begin());
      pool[size_t(tileClass[size_t(t)])].push_back(t);
    }
  }
  // Per cell the closest and second closest tile of its class.
  std::vector<uint32_t> first(m), second(m);
  std::vector<int32_t> firstTile(m);
  auto refresh = [&](size_t k) {
    for (int32_t i : members[k]) {
      const uint32_t* row = dense_.data() + size_t(i) * n0;
      uint32_t d1 = kUnusable, d2 = kUnusable;
      int32_t best = 0;
      for (int32_t t : pool[k]) {
        const uint32_t d = row[t - 1];
        if (d < d1) {
          d2 = d1;
          d1 = d;
          best = t;
        } else if (d < d2) {
          d2 = d;
        }
      }
      first[size_t(i)] = d1;
      second[size_t(i)] = d2;
      firstTile[size_t(i)] = best;
    }
  };
  for (size_t k = 0; k < classes; ++k) refresh(k);
  // gain[k x (n0 + 1) + t]: how much class k's cells would gain with tile t added to it.
  std::vector<int64_t> gain(classes * (n0 + 1), 0);
  std::vector<uint8_t> stale(classes, 1);
  std::vector<int64_t> loss(n0 + 1);
  const size_t n = size_t(std::max(1, threads));
  struct Move {
    int64_t Gain;
    int32_t Tile, To;
  };
  std::vector<Move> moves;
  for (;;) {
    if (!keepGoing()) return 0;
    OnThreads(n, [&](size_t from, size_t step) {
      for (size_t k = from; k < classes; k += step) {
        if (!stale[k]) continue;
        int64_t* g = gain.data() + k * (n0 + 1);
        std::fill(g, g + n0 + 1, 0);
        for (int32_t i : members[k]) {
          const uint32_t* row = dense_.data() + size_t(i) * n0;
          const int64_t now = first[size_t(i)];
          for (size_t t = 0; t < n0; ++t) g[t + 1] += std::max<int64_t>(0, now - int64_t(row[t]));
        }
      }
    });
    // What a tile's class loses without it: its cells fall back to their second closest.
    std::fill(loss.begin(), loss.end(), 0);
    for (size_t i = 0; i < m; ++i)
      if (firstTile[i] > 0) loss[size_t(firstTile[i])] += int64_t(second[i]) - int64_t(first[i]);
    moves.clear();
    for (int32_t t = 1; t <= n0_; ++t) {
      const int32_t from = tileClass[size_t(t)];
      Move best{0, t, -1};
      for (size_t k = 0; k < classes; ++k) {
        if (int32_t(k) == from) continue;
        const int64_t g = gain[k * (n0 + 1) + size_t(t)] - (from >= 0 ? loss[size_t(t)] : 0);
        if (g > best.Gain) best = {g, t, int32_t(k)};
      }
      if (best.To >= 0) moves.push_back(best);
    }
    if (moves.empty()) break;
    // The best moves first, each class taking part in one move a round (the gains of the
    // others stay true).
    std::sort(moves.begin(), moves.end(),
              [](const Move& a, const Move& b) { return a.Gain > b.Gain || (a.Gain == b.Gain && a.Tile < b.Tile); });
    std::fill(stale.begin(), stale.end(), 0);
    for (const Move& v : moves) {
      const int32_t from = tileClass[size_t(v.Tile)];
      if (stale[size_t(v.To)] || (from >= 0 && stale[size_t(from)])) continue;
      stale[size_t(v.To)] = 1;
      if (from >= 0) {
        stale[size_t(from)] = 1;
        std::vector<int32_t>& tiles = pool[size_t(from)];
        tiles.erase(std::find(tiles.begin(), tiles.end(), v.Tile));
      }
      pool[size_t(v.To)].push_back(v.Tile);
      tileClass[size_t(v.Tile)] = v.To;
    }
    for (size_t k = 0; k < classes; ++k)
      if (stale[k]) refresh(k);
  }
  uint64_t total = 0;
  for (size_t i = 0; i < m; ++i) {
    if (first[i] == kUnusable) return 0;  // a class without a tile its cell may show
    total += first[i];
  }
  if (total >= Total()) return 0;
  int32_t changed = 0;
  for (size_t i = 0; i < m; ++i) {
    const int32_t c = cells_[i];
    const TCandidate k = BestOrientation(c, firstTile[i]);
    if (k.Record != record_[size_t(c)]) ++changed;
    Place(c, k.Tile, k.Record, k.Distance);
  }
  CountUses();
  return changed;
}

int32_t Optimizer::Relabel(int32_t left, int32_t top, int32_t right, int32_t bottom, int threads) {
  constexpr size_t kChoices = 64;  // tiles offered to each piece besides its own
  const int32_t d = s_.Rules.Distance;
  auto inside = [&](int32_t c) {
    const int32_t x = c % cols_, y = c / cols_;
    return x >= left && x < right && y >= top && y < bottom && movable_[size_t(c)];
  };
  // The pieces: the region's movable cells, by tile.
  std::vector<int32_t> pieceOf(size_t(n0_) + 1, -1), own;
  std::vector<std::vector<int32_t>> pieces;
  for (int32_t y = std::max(0, top); y < std::min(bottom, rows_); ++y)
    for (int32_t x = std::max(0, left); x < std::min(right, cols_); ++x) {
      const int32_t c = y * cols_ + x;
      if (!movable_[size_t(c)]) continue;
      const int32_t t = tile_[size_t(c)];
      if (pieceOf[size_t(t)] < 0) {
        pieceOf[size_t(t)] = int32_t(pieces.size());
        pieces.emplace_back();
        own.push_back(t);
      }
      pieces[size_t(pieceOf[size_t(t)])].push_back(c);
    }
  if (pieces.size() < 2) return 0;
  if (!dense_.empty() && denseIndex_.empty()) {
    denseIndex_.assign(tile_.size(), -1);
    for (size_t i = 0; i < cells_.size(); ++i) denseIndex_[size_t(cells_[i])] = int32_t(i);
  }
  // Per piece its choices: the kChoices closest tiles it may take, and its own.
  using Choice = std::pair<uint64_t, int32_t>;  // distance over the piece, tile
  std::vector<std::vector<Choice>> choices(pieces.size());
  const size_t n = size_t(std::max(1, threads));
  OnThreads(n, [&](size_t from, size_t step) {
    std::vector<uint64_t> sum;
    // Every tile the piece may take, reused from piece to piece: only the closest kChoices are
    // kept in its own list (a list of all 10000 tiles per piece came to 128 MB a relabelling,
    // given back and taken again each time, a page fault at a time).
    std::vector<Choice> all;
    std::vector<uint32_t> forbidden(size_t(n0_) + 1, 0), listed(size_t(n0_) + 1, 0);
    std::vector<int32_t> tiles;
    uint32_t stamp = 0;
    for (size_t pi = from; pi < pieces.size(); pi += step) {
      ++stamp;
      const std::vector<int32_t>& piece = pieces[pi];
      // The tiles standing within Distance of the piece outside the region, or in kept cells.
      for (int32_t c : piece) {
        const int32_t col = c % cols_, row = c / cols_;
        for (int32_t r = std::max(0, row - d); r <= std::min(rows_ - 1, row + d); ++r)
          for (int32_t x = std::max(0, col - d); x <= std::min(cols_ - 1, col + d); ++x) {
            const int32_t o = r * cols_ + x, t = tile_[size_t(o)];
            if (t > 0 && t <= n0_ && !inside(o)) forbidden[size_t(t)] = stamp;
          }
      }
      auto allowed = [&](int32_t t) {
        if (forbidden[size_t(t)] == stamp) return false;
        if (s_.Rules.Repeat == 0) return true;
        const int32_t inRegion = pieceOf[size_t(t)] < 0 ? 0 : int32_t(pieces[size_t(pieceOf[size_t(t)])].size());
        return uses_[size_t(t)] - inRegion + int32_t(piece.size()) <= s_.Rules.Repeat;
      };
      all.clear();
      if (!dense_.empty()) {
        // Every tile, from the table of all distances; a pair without an allowed orientation
        // puts the tile out of reach.
        constexpr uint64_t kOutOfReach = uint64_t(1) << 40;
        sum.assign(size_t(n0_), 0);
        for (int32_t c : piece) {
          const uint32_t* row = dense_.data() + size_t(denseIndex_[size_t(c)]) * size_t(n0_);
          for (size_t t = 0; t < size_t(n0_); ++t) sum[t] += row[t] == kUnusable ? kOutOfReach : row[t];
        }
        for (int32_t t = 1; t <= n0_; ++t)
          if (t != own[pi] && sum[size_t(t - 1)] < kOutOfReach && allowed(t)) all.push_back({sum[size_t(t - 1)], t});
      } else {
        // The tiles listed for the piece's cells, their distances worked out.
        tiles.clear();
        for (int32_t c : piece)
          for (const TCandidate& k : candidates_[size_t(c)])
            if (listed[size_t(k.Tile)] != stamp && k.Tile != own[pi]) {
              listed[size_t(k.Tile)] = stamp;
              tiles.push_back(k.Tile);
            }
        for (int32_t t : tiles) {
          if (!allowed(t)) continue;
          uint64_t total = 0;
          bool fits = true;
          for (int32_t c : piece) {
            const TCandidate k = BestOrientation(c, t);
            fits = fits && k.Record != 0;
            total += k.Distance;
          }
          if (fits) all.push_back({total, t});
        }
      }
      const size_t keep = std::min(kChoices, all.size());
      std::partial_sort(all.begin(), all.begin() + ptrdiff_t(keep), all.end());
      std::vector<Choice>& mine = choices[pi];
      mine.reserve(keep + 1);
      mine.assign(all.begin(), all.begin() + ptrdiff_t(keep));
      uint64_t now = 0;
      for (int32_t c : piece) now += cost_[size_t(c)];
      mine.push_back({now, own[pi]});
    }
  });
  // Each piece one tile, each tile at most one piece.
  TAssignmentProblem problem;
  std::vector<int32_t> columnTile, columnOf(size_t(n0_) + 1, -1);
  uint64_t before = 0;
  for (const std::vector<Choice>& mine : choices) {
    for (const auto& [distance, t] : mine) {
      if (columnOf[size_t(t)] < 0) {
        columnOf[size_t(t)] = int32_t(columnTile.size());
        columnTile.push_back(t);
      }
      problem.Edges.push_back({columnOf[size_t(t)], int64_t(distance)});
    }
    before += mine.back().first;
    problem.EndRow();
  }
  problem.Capacity.assign(columnTile.size(), 1);
  const TAssignmentSolution solution = SolveAssignment(problem);
  if (solution.Outcome != TAssignmentOutcome::Solved || uint64_t(solution.Cost) >= before) return 0;
  int32_t changed = 0;
  for (size_t pi = 0; pi < pieces.size(); ++pi) {
    const int32_t t = columnTile[size_t(problem.Edges[solution.Edge[pi]].Col)];
    if (t == own[pi]) continue;
    for (int32_t c : pieces[pi]) {
      const TCandidate k = BestOrientation(c, t);
      Place(c, t, k.Record, k.Distance);
      ++changed;
    }
  }
  CountUses();
  return changed;
}

}  // namespace qv::optimizer
