#include "engine/OptimizeComposition.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <functional>
#include <random>
#include <thread>
#include <unordered_set>
#include <vector>

#include "base/Errors.h"
#include "engine/DenseAuction.h"
#include "engine/MosaicQuality.h"
#include "engine/QVData.h"
#include "engine/Signature.h"
#include "engine/SparseAssignment.h"

namespace qv {
namespace {

int64_t SteadyMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// Moves each cell of a signature toward the signature's mean colour, channel by channel, so
// that between two signatures so changed the squared distance of their mean colours keeps its
// weight and that of their patterns (the differences from the means) falls by the factor
// weight: the sum of squares parts into n x (mean difference)^2 plus the pattern's part.
void WeighMeanColour(uint8_t* signature, size_t size, double weight) {
  const size_t cells = size / 3;
  if (cells == 0) return;
  const double shrink = 1.0 / std::sqrt(weight);
  for (size_t ch = 0; ch < 3; ++ch) {
    double sum = 0;
    for (size_t i = 0; i < cells; ++i) sum += signature[i * 3 + ch];
    const double mean = sum / double(cells);
    for (size_t i = 0; i < cells; ++i) {
      uint8_t& v = signature[i * 3 + ch];
      v = uint8_t(std::clamp(std::lround(mean + (double(v) - mean) * shrink), 0L, 255L));
    }
  }
}

struct TCandidate {
  int32_t Tile;
  int32_t Record;
  uint64_t Distance;
};

// One of the cells closest to a tile (in the tile's best allowed orientation for that cell).
struct TCellCandidate {
  int32_t Cell;
  int32_t Record;
  uint64_t Distance;
};

// The state of the pass: one entry per cell of the grid.
class Optimizer {
 public:
  Optimizer(const TQVData& lib, const TQVData& plan, const TQVData& mosaic, const TOptimizeSettings& s)
      : lib_(lib), s_(s), cols_(s.Rules.Cols), rows_(s.Rules.Rows), n0_(lib.UnflippedCount) {
    const int32_t cells = cols_ * rows_;
    for (int b = 0; b < 4; ++b) blocks_[b] = BlockUsable(b);
    // The library's signatures and deleted marks, read once: the candidate lists compare every
    // cell with every record.
    const size_t sigSize = size_t(lib.SigSize);
    signatures_.resize(size_t(lib.Count + 1) * sigSize);
    deleted_.assign(size_t(lib.Count) + 1, 1);
    for (int32_t n = 1; n <= lib.Count; ++n) {
      std::copy_n(lib.RecordSignature(n), sigSize, signatures_.data() + size_t(n) * sigSize);
      deleted_[size_t(n)] = lib.RecordStatus(n) > kMaxUseCount;
    }
    targets_.resize(size_t(cells));
    for (int32_t n = 1; n <= cells; ++n) targets_[size_t(n - 1)] = CellTarget(lib, plan, n);
    if (s.ColourWeight > 0 && s.ColourWeight != 1) {
      for (int32_t n = 1; n <= lib.Count; ++n)
        WeighMeanColour(signatures_.data() + size_t(n) * sigSize, sigSize, s.ColourWeight);
      for (SignatureBytes& target : targets_) WeighMeanColour(target.data(), sigSize, s.ColourWeight);
    }
    tile_.assign(size_t(cells), 0);
    record_.assign(size_t(cells), 0);
    cost_.assign(size_t(cells), 0);
    movable_.assign(size_t(cells), 0);
    uses_.assign(size_t(n0_) + 1, 0);
    holders_.resize(size_t(n0_) + 1);

    TCellRect sel = s.Rules.Selection;
    sel.Left = std::clamp(sel.Left, 0, cols_ - 1);
    sel.Right = std::clamp(sel.Right, 0, cols_ - 1);
    sel.Top = std::clamp(sel.Top, 0, rows_ - 1);
    sel.Bottom = std::clamp(sel.Bottom, 0, rows_ - 1);
    const bool wholeGrid = sel.Left == sel.Right && sel.Top == sel.Bottom;
    const bool invert = !wholeGrid && s.Rules.InvertSelection;
    for (int32_t c = 0; c < cells; ++c) {
      const int32_t id = mosaic.RecordTileNo(c + 1);
      tile_[size_t(c)] = id > 0 ? id : 0;
      const bool inArea = wholeGrid || (sel.Contains(c % cols_, c / cols_) != invert);
      // Only library tiles move; "Fix auto" keeps every one of them.
      if (!inArea || s.Rules.FixAuto || id <= 0 || id > n0_) continue;
      movable_[size_t(c)] = 1;
      cells_.push_back(c);
      record_[size_t(c)] = RecordShownInCell(lib_, mosaic, c + 1, id);
      cost_[size_t(c)] = Distance(c, record_[size_t(c)]);
      ++uses_[size_t(id)];
      holders_[size_t(id)].push_back(c);
    }
    startRecord_ = record_;
  }

  const std::vector<int32_t>& Cells() const { return cells_; }
  int32_t Record(int32_t c) const { return record_[size_t(c)]; }
  int32_t StartRecord(int32_t c) const { return startRecord_[size_t(c)]; }

  uint64_t Total() const {
    uint64_t t = 0;
    for (int32_t c : cells_) t += cost_[size_t(c)];
    return t;
  }

  // An empty text when the cells the pass may change keep the rules; else where they do not.
  std::string RuleFault() const {
    const int32_t repeat = s_.Rules.Repeat;
    for (int32_t t = 1; t <= n0_; ++t)
      if (repeat > 0 && uses_[size_t(t)] > repeat)
        return "Tile " + std::to_string(t) + " is used " + std::to_string(uses_[size_t(t)]) +
               " times, more than Repeat " + std::to_string(repeat) + " allows.";
    for (int32_t c : cells_)
      if (CountInSquare(c, tile_[size_t(c)]) > 1)
        return "Tile " + std::to_string(tile_[size_t(c)]) + " at column " + std::to_string(c % cols_ + 1) + ", row " +
               std::to_string(c / cols_ + 1) + " stands again within Distance " + std::to_string(s_.Rules.Distance) +
               ".";
    return {};
  }

  // Each movable cell's best K tiles, in their best allowed orientation, closest first; and
  // with perTile > 0 each tile's closest perTile movable cells, from the same comparisons
  // (each thread keeps its own lists per tile, merged at the end). With keepAll every
  // distance is kept as well when the table would take at most kMaxKeptPairs pairs.
  void ListCandidates(int threads, size_t perTile, bool keepAll) {
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
    std::vector<std::thread> pool;
    for (size_t i = 1; i < n; ++i) pool.emplace_back(work, i, n);
    work(0, n);
    for (auto& th : pool) th.join();
    tileCells_.assign(perTile > 0 ? size_t(n0_) + 1 : 0, {});
    for (size_t t = 1; t < tileCells_.size(); ++t) {
      std::vector<TCellCandidate>& merged = tileCells_[t];
      for (auto& heaps : tileHeaps) merged.insert(merged.end(), heaps[t].begin(), heaps[t].end());
      std::sort(merged.begin(), merged.end(), closerCell);
      if (merged.size() > perTile) merged.resize(perTile);
    }
  }

  // A small Repeat limit, where the auction over all pairs settles the assignment fastest
  // (when all distances are kept): the places it works on (tiles x Repeat, with rows of no
  // cost added for those left unused) must not pass three times the cells.
  bool AuctionFits() const {
    const int64_t places = int64_t(n0_) * s_.Rules.Repeat;
    return s_.Rules.Repeat > 0 && int64_t(cells_.size()) <= places && places <= 3 * int64_t(cells_.size()) &&
           KeepsAllPairs();
  }

  // Whether ListCandidates can keep every distance: the table must not pass kMaxKeptPairs and
  // every distance must stay below kUnusable.
  bool KeepsAllPairs() const {
    return uint64_t(cells_.size()) * uint64_t(n0_) <= kMaxKeptPairs &&
           uint64_t(lib_.SigSize) * 255u * 255u < uint64_t(kUnusable);
  }

  // With Distance 0 the Repeat limit is all that ties the cells together, and the best
  // mosaic is a minimum-cost assignment of tiles to cells, each tile taking at most Repeat
  // cells. Where the auction fits, it settles it over all pairs. Otherwise it is solved
  // exactly over a sparse set of pairs: each cell's candidate list, each tile's closest cells
  // (without them a tile close to no cell's list would have nowhere good to go while every
  // tile must be used), and each cell's own tile, which keeps the present mosaic among the
  // solutions. When every pair's distance was kept (see ListCandidates), the solver's
  // potentials then price all the other pairs: those that could lower the total join the set
  // and it is solved again, until none is left (the mosaic is then the best there is under the
  // rules) or the time is up. Each solution that lowers the total is taken; a solve that
  // keepGoing stops changes nothing. The table of all distances is let go at the end.
  // solved(changed so far) follows each solve (each phase of the auction). Returns the cells
  // changed.
  int32_t AssignExactly(const std::function<bool()>& keepGoing, int threads,
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
          if (std::find_if(pairs[i].begin(), pairs[i].end(),
                           [&](const TCandidate& k) { return k.Tile == int32_t(t); }) == pairs[i].end())
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

  // Gives movable cell i the tile of column columnOf[i] (tile number - 1) when that lowers
  // the total and every pair is allowed. Returns the cells changed.
  int32_t TakeAssignment(const std::vector<int32_t>& columnOf) {
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

  void CountUses() {
    std::fill(uses_.begin(), uses_.end(), 0);
    for (auto& h : holders_) h.clear();
    for (int32_t c : cells_) {
      ++uses_[size_t(tile_[size_t(c)])];
      holders_[size_t(tile_[size_t(c)])].push_back(c);
    }
  }

  // Adds to each cell's pairs the tiles whose distance is below the cell's potential plus the
  // tile's: the pairs that could lower the total of the assignment those potentials belong
  // to; for each cell the 16 that fall most below, and for each tile its 16 cells (so that
  // tiles no cell wants most are still given places to go). Returns how many were added.
  size_t AddUnderpricedPairs(const std::vector<int64_t>& u, const std::vector<int64_t>& v, int threads,
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
    std::vector<std::thread> pool;
    for (size_t i = 1; i < n; ++i) pool.emplace_back(work, i, n);
    work(0, n);
    for (auto& th : pool) th.join();
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

  // One sweep of block moves at the given offset of the block grid (see SolveBlock); returns
  // the cells changed. Blocks of side min(Distance + 1, 8): all their cells lie within
  // Distance of each other.
  int64_t BlockSweep(int32_t offsetX, int32_t offsetY, const std::function<bool()>& keepGoing) {
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

  int32_t BlockSide() const { return std::min(s_.Rules.Distance + 1, 8); }

  // A kick out of the local optimum the block sweeps end in: the block at a random place is
  // solved with disturbed distances and taken, then the blocks around it, and blocks at half
  // a block's offset, are solved again with the true ones, all within the region of one
  // block's side around the kicked block. The region is kept when its total fell and put
  // back as it was otherwise. True when it was kept.
  bool Kick(std::mt19937_64& rng) {
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

  // Starts the row of block cell a in a block's assignment: forbids the tiles standing in
  // its Distance square in `tile` outside the cells freed for the block.
  void StartBlockRow(int32_t a, const std::vector<int32_t>& tile) {
    ++stamp_;
    const int32_t d = s_.Rules.Distance, col = a % cols_, row = a / cols_;
    for (int32_t r = std::max(0, row - d); r <= std::min(rows_ - 1, row + d); ++r)
      for (int32_t c = std::max(0, col - d); c <= std::min(cols_ - 1, col + d); ++c) {
        const int32_t o = r * cols_ + c, t = tile[size_t(o)];
        if (!freed_[size_t(o)] && t > 0 && t <= n0_) forbidden_[size_t(t)] = stamp_;
      }
  }

  // Adds tile k to the row begun by StartBlockRow unless it is forbidden there, listed in it
  // already or at the Repeat limit by `uses`; its column is the tile's. True when added.
  bool AddBlockPair(const TCandidate& k, const std::vector<int32_t>& uses, TAssignmentProblem& p,
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

  // Composes the movable cells afresh, block after block in row order, each block solved as
  // an exact assignment under the tiles of the blocks before it and of the kept cells (the
  // greedy run's cell-by-cell choice, one block at a time). In a stretch of like cells this
  // lays the best tiles out in a pattern that repeats every block, which a cell-by-cell run
  // seldom finds. The result replaces the mosaic when its total is lower (one step: the
  // mosaic stays valid). Returns the cells changed; 0 also when keepGoing stopped it or a
  // block found no tiles.
  int32_t ComposeByBlocks(const std::function<bool()>& keepGoing) {
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

  // Frees the movable cells of columns [left, right) and rows [top, bottom), which all lie
  // within Distance of each other (so no tile may stand twice among them), and gives them
  // the best tiles the rest of the mosaic allows, found as an exact assignment: each freed
  // cell may take its candidates and the block's present tiles, except the tiles standing
  // within its Distance square outside the block and the tiles whose uses outside the block
  // reach Repeat. The block's present tiles are among the solutions, so one exists. The new
  // tiles are taken when they lower the total. Returns the cells changed.
  //
  // With disturb, each pair's distance is scaled by a random factor of 0.9 to 1.1 for the
  // solve and the result is taken whatever it costs (the kick of Kick below).
  int32_t SolveBlock(int32_t left, int32_t top, int32_t right, int32_t bottom, std::mt19937_64* disturb = nullptr) {
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

  // Tries the candidates of cell a closer than its tile; makes the first move that lowers
  // the total and keeps the rules. True when it made one.
  bool ImproveCell(int32_t a) {
    for (const TCandidate& cand : candidates_[size_t(a)]) {
      if (cand.Distance >= cost_[size_t(a)]) break;
      const int32_t t = cand.Tile;
      if (t == tile_[size_t(a)]) {  // the same tile in a better orientation
        Place(a, t, cand.Record, cand.Distance);
        return true;
      }
      if ((s_.Rules.Repeat == 0 || uses_[size_t(t)] < s_.Rules.Repeat) && CountInSquare(a, t) == 0) {
        Replace(a, cand);
        return true;
      }
      if (TrySwap(a, cand)) return true;
    }
    return false;
  }

  // Looks for a chain of moves that lowers the total: cell a1 takes the tile of cell a2,
  // which takes the tile of a3, and so on, closed either where it started or by a tile
  // with a use to spare and a tile given up. These are the negative cycles of a graph on the
  // tiles (an edge s -> t for each cell holding s with candidate t, weighing the change of
  // that cell's distance) plus one node for spare uses; with Distance 0 and every tile a
  // candidate, a mosaic without one is optimal. Found by Bellman-Ford passes, each ending
  // with a search for a cycle among the predecessor links. Makes the cycle when it keeps
  // the Distance rule; else takes its edges out of the graph. 0 when there is no such
  // chain (or keepGoing said stop), 1 when it made one, 2 when it took edges out.
  int CancelCycle(const std::function<bool()>& keepGoing) {
    const int32_t spare = 0;  // node 0; tiles are nodes 1..n0
    struct Edge {
      int32_t From, To, Cell, Record;
      int64_t Weight;
    };
    std::vector<Edge> edges;
    for (int32_t a : cells_) {
      const int32_t s = tile_[size_t(a)];
      for (const TCandidate& cand : candidates_[size_t(a)]) {
        if (cand.Tile == s || blocked_.count(Key(a, cand.Tile))) continue;
        edges.push_back({s, cand.Tile, a, cand.Record, int64_t(cand.Distance) - int64_t(cost_[size_t(a)])});
      }
    }
    for (int32_t t = 1; t <= n0_; ++t) {
      if (s_.Rules.Repeat == 0 || uses_[size_t(t)] < s_.Rules.Repeat) edges.push_back({t, spare, -1, 0, 0});
      if (uses_[size_t(t)] > 0) edges.push_back({spare, t, -1, 0, 0});
    }
    const size_t nodes = size_t(n0_) + 1;
    std::vector<int64_t> dist(nodes, 0);
    std::vector<int32_t> via(nodes, -1);  // the edge that last lowered the node
    std::vector<int32_t> mark(nodes, 0);
    for (size_t pass = 0; pass < nodes; ++pass) {
      if (!keepGoing()) return 0;
      bool lowered = false;
      for (size_t e = 0; e < edges.size(); ++e) {
        const Edge& g = edges[e];
        if (dist[size_t(g.From)] + g.Weight < dist[size_t(g.To)]) {
          dist[size_t(g.To)] = dist[size_t(g.From)] + g.Weight;
          via[size_t(g.To)] = int32_t(e);
          lowered = true;
        }
      }
      if (!lowered) return 0;
      // A cycle among the predecessor links has a negative weight.
      std::fill(mark.begin(), mark.end(), 0);
      for (size_t start = 0; start < nodes; ++start) {
        if (mark[start]) continue;
        int32_t v = int32_t(start);
        while (v >= 0 && mark[size_t(v)] == 0) {
          mark[size_t(v)] = int32_t(start) + 1;
          v = via[size_t(v)] < 0 ? -1 : edges[size_t(via[size_t(v)])].From;
        }
        if (v < 0 || mark[size_t(v)] != int32_t(start) + 1) continue;
        std::vector<const Edge*> cycle;
        int32_t u = v;
        do {
          cycle.push_back(&edges[size_t(via[size_t(u)])]);
          u = cycle.back()->From;
        } while (u != v);
        return ApplyCycle(cycle);
      }
    }
    return 0;
  }

 private:
  template <typename Edge>
  int ApplyCycle(const std::vector<const Edge*>& cycle) {
    struct Undo {
      int32_t Cell, Tile, Record;
      uint64_t Cost;
    };
    std::vector<Undo> undo;
    int64_t change = 0;
    for (const Edge* g : cycle) {
      if (g->Cell < 0) continue;
      undo.push_back({g->Cell, tile_[size_t(g->Cell)], record_[size_t(g->Cell)], cost_[size_t(g->Cell)]});
      change += g->Weight;
    }
    for (const Edge* g : cycle)
      if (g->Cell >= 0) Place(g->Cell, g->To, g->Record, uint64_t(int64_t(cost_[size_t(g->Cell)]) + g->Weight));
    bool keeps = change < 0;
    for (const Undo& u : undo)
      if (CountInSquare(u.Cell, tile_[size_t(u.Cell)]) != 1) {
        keeps = false;
        blocked_.insert(Key(u.Cell, tile_[size_t(u.Cell)]));
      }
    if (!keeps) {
      for (const Undo& u : undo) Place(u.Cell, u.Tile, u.Record, u.Cost);
      return undo.empty() ? 0 : 2;
    }
    for (const Undo& u : undo) {
      auto& h = holders_[size_t(u.Tile)];
      h.erase(std::find(h.begin(), h.end(), u.Cell));
      --uses_[size_t(u.Tile)];
      holders_[size_t(tile_[size_t(u.Cell)])].push_back(u.Cell);
      ++uses_[size_t(tile_[size_t(u.Cell)])];
    }
    ++cycles_;
    return 1;
  }

 public:
  int64_t Cycles() const { return cycles_; }
  void Unblock() { blocked_.clear(); }

 private:
  static uint64_t Key(int32_t cell, int32_t t) { return (uint64_t(uint32_t(cell)) << 32) | uint32_t(t); }

  bool BlockUsable(int b) const {
    if (n0_ < 1 || int64_t(b + 1) * n0_ > lib_.Count) return false;
    const TOrientationSet& o = s_.Rules.Orientations;
    if (b == 0) return o[0];
    const uint8_t kind = lib_.FlipKinds[b - 1];
    return kind >= kFlipHorizontal && kind <= kFlipVertical && o[kind];
  }

  const uint8_t* Signature(int32_t record) const { return signatures_.data() + size_t(record) * size_t(lib_.SigSize); }

  uint64_t Distance(int32_t c, int32_t record) const {
    return SignatureDistanceInt(targets_[size_t(c)].data(), Signature(record), lib_.SigSize);
  }

  // Tile t's allowed, not deleted copy closest to cell c's plan (Record 0 when none).
  TCandidate BestOrientation(int32_t c, int32_t t) const {
    TCandidate best{t, 0, 0};
    for (int b = 0; b < 4; ++b) {
      if (!blocks_[b]) continue;
      const int32_t n = b * n0_ + t;
      if (deleted_[size_t(n)]) continue;
      const uint64_t d = Distance(c, n);
      if (best.Record == 0 || d < best.Distance) best = {t, n, d};
    }
    return best;
  }

  // How often tile t stands in the Distance square around cell c (c included).
  int32_t CountInSquare(int32_t c, int32_t t) const {
    const int32_t d = s_.Rules.Distance;
    const int32_t col = c % cols_, row = c / cols_;
    const int32_t c0 = std::max(0, col - d), c1 = std::min(cols_ - 1, col + d);
    const int32_t r0 = std::max(0, row - d), r1 = std::min(rows_ - 1, row + d);
    int32_t n = 0;
    for (int32_t r = r0; r <= r1; ++r) {
      const int32_t* line = tile_.data() + size_t(r) * size_t(cols_);
      for (int32_t x = c0; x <= c1; ++x) n += line[x] == t;
    }
    return n;
  }

  void Place(int32_t c, int32_t t, int32_t record, uint64_t distance) {
    tile_[size_t(c)] = t;
    record_[size_t(c)] = record;
    cost_[size_t(c)] = distance;
  }

  void Replace(int32_t a, const TCandidate& cand) {
    const int32_t old = tile_[size_t(a)];
    --uses_[size_t(old)];
    auto& h = holders_[size_t(old)];
    h.erase(std::find(h.begin(), h.end(), a));
    ++uses_[size_t(cand.Tile)];
    holders_[size_t(cand.Tile)].push_back(a);
    Place(a, cand.Tile, cand.Record, cand.Distance);
  }

  // Cell a takes tile cand.Tile from the cell holding it that gains most, which takes a's
  // tile in its best allowed orientation. Use counts stay; the Distance squares of both
  // cells must hold their new tiles once only.
  bool TrySwap(int32_t a, const TCandidate& cand) {
    const int32_t t = cand.Tile, own = tile_[size_t(a)];
    int32_t bestCell = -1;
    TCandidate bestBack{};
    uint64_t bestGain = 0;
    for (int32_t b : holders_[size_t(t)]) {
      const TCandidate back = BestOrientation(b, own);
      if (back.Record == 0) continue;
      const uint64_t before = cost_[size_t(a)] + cost_[size_t(b)];
      const uint64_t after = cand.Distance + back.Distance;
      if (after >= before || before - after <= bestGain) continue;
      tile_[size_t(a)] = t;
      tile_[size_t(b)] = own;
      const bool keeps = CountInSquare(a, t) == 1 && CountInSquare(b, own) == 1;
      tile_[size_t(a)] = own;
      tile_[size_t(b)] = t;
      if (!keeps) continue;
      bestGain = before - after;
      bestCell = b;
      bestBack = back;
    }
    if (bestCell < 0) return false;
    auto& ha = holders_[size_t(own)];
    *std::find(ha.begin(), ha.end(), a) = bestCell;
    auto& hb = holders_[size_t(t)];
    *std::find(hb.begin(), hb.end(), bestCell) = a;
    Place(a, t, cand.Record, cand.Distance);
    Place(bestCell, own, bestBack.Record, bestBack.Distance);
    return true;
  }

  const TQVData& lib_;
  const TOptimizeSettings& s_;
  const int32_t cols_, rows_, n0_;
  bool blocks_[4] = {};
  std::vector<SignatureBytes> targets_;
  std::vector<uint8_t> signatures_;  // record n's at n x SigSize
  std::vector<uint8_t> deleted_;     // per record
  std::vector<int32_t> tile_;        // per cell: its tile number, a custom picture's number or 0
  std::vector<int32_t> record_;      // per movable cell: the library record it shows
  std::vector<int32_t> startRecord_;
  std::vector<uint64_t> cost_;  // per movable cell: distance of its plan to its record
  std::vector<uint8_t> movable_;
  std::vector<int32_t> cells_;  // the movable cells
  std::vector<int32_t> uses_;   // per tile: movable cells holding it
  std::vector<std::vector<int32_t>> holders_;
  std::vector<std::vector<TCandidate>> candidates_;
  std::vector<std::vector<TCellCandidate>> tileCells_;  // per tile (when listed): its closest cells
  // When kept: the distance of movable cell i (its index in cells_) to tile t at
  // i x n0 + t - 1, in the tile's best allowed orientation; kUnusable when it has none.
  static constexpr uint32_t kUnusable = kMaxAuctionCost;
  static constexpr uint64_t kMaxKeptPairs = uint64_t(1) << 28;  // 1 GiB
  std::vector<uint32_t> dense_;
  // Block moves: the block's cells, per cell whether it is freed, per tile the stamp of the
  // cell it is forbidden for or listed for, and its column in the block's problem.
  std::vector<int32_t> block_;
  std::vector<uint8_t> freed_;
  std::vector<uint32_t> forbidden_, listed_;
  uint32_t stamp_ = 0;
  std::vector<int32_t> column_;
  std::unordered_set<uint64_t> blocked_;  // (cell, tile) moves that broke the Distance rule
  int64_t cycles_ = 0;
};

}  // namespace

TOptimizeResult OptimizeComposition(TQVData& library, const TQVData& plan, TQVData& mosaic,
                                    const TOptimizeSettings& settings, const TOptimizeHooks& hooks) {
  TOptimizeResult result;
  if (!plan.TableIsOpen() || !library.TableIsOpen() || !mosaic.TableIsOpen()) return result;
  const TCompositionSettings& rules = settings.Rules;
  if (!AnyOrientation(rules.Orientations)) {
    result.Outcome = TOptimizeOutcome::NoOrientation;
    result.Message = kNoOrientationMessage;
    return result;
  }
  if (rules.Cols < 1 || rules.Rows < 1 || int64_t(rules.Cols) * rules.Rows != plan.Count || mosaic.Count != plan.Count)
    throw EQuivara("A grid of " + std::to_string(rules.Cols) + " x " + std::to_string(rules.Rows) +
                   " cells does not fit a plan of " + std::to_string(plan.Count) + " and a mosaic of " +
                   std::to_string(mosaic.Count) + " cells");
  if (rules.Distance < 0 || rules.Repeat < 0) throw EQuivara("Distance and Repeat must not be negative");
  if (plan.GridW != library.GridW || plan.GridH != library.GridH || plan.SigSize != library.SigSize)
    throw EQuivara("The library's signature grid does not fit the project's");

  auto now = [&] { return hooks.NowMs ? hooks.NowMs() : SteadyMs(); };
  const int64_t startMs = now();
  Optimizer opt(library, plan, mosaic, settings);
  result.Cells = int32_t(opt.Cells().size());
  result.StartDistance = result.EndDistance = opt.Total();
  result.Message = opt.RuleFault();
  if (!result.Message.empty()) {
    result.Outcome = TOptimizeOutcome::RulesBroken;
    result.ElapsedMs = now() - startMs;
    return result;
  }

  const int threads = settings.Threads > 0 ? settings.Threads : int(std::max(1u, std::thread::hardware_concurrency()));
  // Distance 0 under a Repeat limit is an assignment problem, solved exactly below.
  const bool assignment = rules.Distance == 0 && rules.Repeat > 0;
  const size_t perTile = !assignment || opt.AuctionFits() ? 0
                         : settings.CellsPerTile > 0      ? size_t(settings.CellsPerTile)
                                                          : 32;
  opt.ListCandidates(threads, perTile, assignment);
  result.CandidatesMs = now() - startMs;
  TOptimizeProgress progress;
  progress.TotalDistance = result.StartDistance;
  if (hooks.OnProgress) hooks.OnProgress(progress);

  std::vector<int32_t> order = opt.Cells();
  std::mt19937_64 rng(settings.Seed);
  // A Fisher-Yates shuffle of our own: the same seed gives the same order everywhere.
  for (size_t i = order.size(); i > 1; --i) std::swap(order[i - 1], order[size_t(rng() % i)]);

  result.Outcome = TOptimizeOutcome::Completed;
  // Writing the changed cells into the mosaic at the end takes time too (about 40 us a cell
  // on the benchmark machine, 0.4 s for 10000 cells): the search ends that much earlier, by
  // at most a fifth of the limit.
  const int64_t searchMs = settings.TimeLimitMs - std::min(settings.TimeLimitMs / 5, int64_t(result.Cells) * 40 / 1000);
  // False once a stop is requested or the time is up (the outcome says which).
  auto keepGoing = [&] {
    if (result.Outcome != TOptimizeOutcome::Completed) return false;
    if (hooks.StopRequested && hooks.StopRequested()) {
      result.Outcome = TOptimizeOutcome::Stopped;
      return false;
    }
    if (settings.TimeLimitMs > 0 && now() - startMs >= searchMs) {
      result.Outcome = TOptimizeOutcome::TimeUp;
      return false;
    }
    return true;
  };
  auto report = [&] {
    progress.Sweep = result.Sweeps;
    progress.Moves = result.Moves;
    progress.TotalDistance = opt.Total();
    if (hooks.OnProgress) hooks.OnProgress(progress);
  };
  // After an exact assignment no chain over the candidate lists can lower the total (their
  // pairs were all in the problem), so the search for chains is left out.
  bool exact = false;
  if (assignment && keepGoing()) {
    const int32_t changed = opt.AssignExactly(keepGoing, threads, [&](int32_t soFar) {
      progress.Moves = result.Moves + soFar;
      progress.TotalDistance = opt.Total();
      if (hooks.OnProgress) hooks.OnProgress(progress);
    });
    exact = result.Outcome == TOptimizeOutcome::Completed;
    result.Moves += changed;
    report();
  }
  int32_t blockSweeps = 0, blockMisses = 0;
  bool kicking = true;
  if (rules.Distance > 0 && keepGoing()) {
    result.Moves += opt.ComposeByBlocks(keepGoing);
    report();
  }
  while (keepGoing()) {
    if (rules.Distance > 0 && blockMisses < 2 * opt.BlockSide()) {
      // Block moves at ever new offsets of the block grid, while they change something.
      const int64_t changed = opt.BlockSweep(blockSweeps * 3, blockSweeps * 5, keepGoing);
      ++blockSweeps;
      result.Moves += changed;
      blockMisses = changed > 0 ? 0 : blockMisses + 1;
      report();
      continue;
    }
    // Sweeps of replacements and swaps until one changes nothing, then chains of moves.
    int64_t moves = 0;
    for (size_t i = 0; i < order.size() && keepGoing(); ++i)
      if (opt.ImproveCell(order[i])) ++moves;
    if (!keepGoing()) {
      result.Moves += moves;
      break;
    }
    ++result.Sweeps;
    result.Moves += moves;
    if (moves > 0) {
      blockMisses = 0;
      report();
      continue;
    }
    if (exact) break;
    if (rules.Distance > 0 && kicking) {
      // Rounds of kicks, as many as the grid has blocks, while a round keeps any; then the
      // block sweeps and the local search once more.
      const int32_t side = opt.BlockSide();
      const int64_t kicks = std::max<int64_t>(1, int64_t(result.Cells) / (side * side));
      while (kicking && keepGoing()) {
        int64_t kept = 0;
        for (int64_t k = 0; k < kicks && keepGoing(); ++k) kept += opt.Kick(rng) ? 1 : 0;
        result.Moves += kept;
        kicking = kept > 0;
        report();
      }
      blockMisses = 0;
      continue;
    }
    int64_t chains = 0;
    for (int found; (found = opt.CancelCycle(keepGoing)) != 0;)
      if (found == 1) ++chains;
    result.Moves += chains;
    report();
    if (chains == 0) break;
    opt.Unblock();  // moves refused before may keep the rules now
  }
  result.Chains = opt.Cycles();

  for (int32_t c : opt.Cells()) {
    if (opt.Record(c) == opt.StartRecord(c)) continue;
    library.GoRecord(opt.Record(c));
    if (hooks.BeforePlace) hooks.BeforePlace(c + 1);
    if (mosaic.PlaceTile(c + 1, library, true)) ++result.Changed;
  }
  result.EndDistance = opt.Total();
  result.ElapsedMs = now() - startMs;
  return result;
}

}  // namespace qv
