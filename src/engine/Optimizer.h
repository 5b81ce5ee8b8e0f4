#pragma once
// The working state of the optimising pass (engine/OptimizeComposition.h says what the pass
// does and in which order): the cells' tiles, distances and use counts, the candidate lists
// and the moves on them. Its steps live in files named after them: Optimizer.cpp (the state
// and the rules), OptimizerCandidates.cpp, OptimizerAssignment.cpp, OptimizerBlocks.cpp,
// OptimizerRelabel.cpp and OptimizerLocal.cpp.
#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <unordered_set>
#include <vector>

#include "base/OnThreads.h"
#include "engine/DenseAuction.h"
#include "engine/OptimizeComposition.h"
#include "engine/QVData.h"
#include "engine/Signature.h"
#include "engine/SparseAssignment.h"

namespace qv::optimizer {

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
  Optimizer(const TQVData& lib, const TQVData& plan, const TQVData& mosaic, const TOptimizeSettings& s);

  const std::vector<int32_t>& Cells() const { return cells_; }
  int32_t Record(int32_t c) const { return record_[size_t(c)]; }
  int32_t StartRecord(int32_t c) const { return startRecord_[size_t(c)]; }

  uint64_t Total() const {
    uint64_t t = 0;
    for (int32_t c : cells_) t += cost_[size_t(c)];
    return t;
  }

  // An empty text when the cells the pass may change keep the rules; else where they do not.
  std::string RuleFault() const;

  // Each movable cell's best K tiles, in their best allowed orientation, closest first; and
  // with perTile > 0 each tile's closest perTile movable cells, from the same comparisons
  // (each thread keeps its own lists per tile, merged at the end). With keepAll every
  // distance is kept as well when the table would take at most kMaxKeptPairs pairs.
  void ListCandidates(int threads, size_t perTile, bool keepAll);

  // A small Repeat limit, where the auction over all pairs settles the assignment fastest
  // (when all distances are kept): the places it works on (tiles x Repeat, with rows of no
  // cost added for those left unused) must not pass three times the cells.
  bool AuctionFits() const;

  // Whether ListCandidates can keep every distance: the table must not pass kMaxKeptPairs and
  // every distance must stay below kUnusable.
  bool KeepsAllPairs() const;

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
                        const std::function<void(int32_t)>& solved);

  // Gives movable cell i the tile of column columnOf[i] (tile number - 1) when that lowers
  // the total and every pair is allowed. Returns the cells changed.
  int32_t TakeAssignment(const std::vector<int32_t>& columnOf);

  void CountUses();

  // Adds to each cell's pairs the tiles whose distance is below the cell's potential plus the
  // tile's: the pairs that could lower the total of the assignment those potentials belong
  // to; for each cell the 16 that fall most below, and for each tile its 16 cells (so that
  // tiles no cell wants most are still given places to go). Returns how many were added.
  size_t AddUnderpricedPairs(const std::vector<int64_t>& u, const std::vector<int64_t>& v, int threads,
                             std::vector<std::vector<TCandidate>>& pairs) const;

  // One sweep of block moves at the given offset of the block grid (see SolveBlock); returns
  // the cells changed. Blocks of side min(Distance + 1, 8): all their cells lie within
  // Distance of each other.
  int64_t BlockSweep(int32_t offsetX, int32_t offsetY, const std::function<bool()>& keepGoing);

  int32_t BlockSide() const { return std::min(s_.Rules.Distance + 1, 8); }

  // A kick out of the local optimum the block sweeps end in: the block at a random place is
  // solved with disturbed distances and taken, then the blocks around it, and blocks at half
  // a block's offset, are solved again with the true ones, all within the region of one
  // block's side around the kicked block. The region is kept when its total fell and put
  // back as it was otherwise. True when it was kept.
  bool Kick(std::mt19937_64& rng);

  // Starts the row of block cell a in a block's assignment: forbids the tiles standing in
  // its Distance square in `tile` outside the cells freed for the block.
  void StartBlockRow(int32_t a, const std::vector<int32_t>& tile);

  // Adds tile k to the row begun by StartBlockRow unless it is forbidden there, listed in it
  // already or at the Repeat limit by `uses`; its column is the tile's. True when added.
  bool AddBlockPair(const TCandidate& k, const std::vector<int32_t>& uses, TAssignmentProblem& p,
                    std::vector<int32_t>& records, std::vector<int32_t>& tiles);

  // Composes the movable cells afresh, block after block in row order, each block solved as
  // an exact assignment under the tiles of the blocks before it and of the kept cells (the
  // greedy run's cell-by-cell choice, one block at a time). In a stretch of like cells this
  // lays the best tiles out in a pattern that repeats every block, which a cell-by-cell run
  // seldom finds. The result replaces the mosaic when its total is lower (one step: the
  // mosaic stays valid). Returns the cells changed; 0 also when keepGoing stopped it or a
  // block found no tiles.
  int32_t ComposeByBlocks(const std::function<bool()>& keepGoing);

  // Composes the movable cells afresh in a pattern that repeats every Distance + 1 cells
  // across and down. The cells whose column and row agree modulo Distance + 1 form a class;
  // the classes share out the tiles, each tile going to one class, and each cell shows the
  // closest tile of its class. Two cells of a class lie Distance + 1 or more apart and cells
  // of two classes never hold the same tile, so the rule holds everywhere. The share starts
  // from the present mosaic (each tile to the class where it stands most often); then, round
  // after round, tiles move to the class where they gain most over what their own class
  // loses without them, the best moves first and each class in one move a round, until no
  // move gains. Over uniform stretches this is the best layout there is, and the relabelling
  // below works on its large pieces. Needs the table of all distances, Repeat "Auto" and
  // every cell movable; the result replaces the mosaic when its total is lower. Returns the
  // cells changed.
  int32_t ComposeByResidues(const std::function<bool()>& keepGoing, int threads);

  // Gives new tiles to whole pieces of the region [left, right) x [top, bottom): a piece is
  // the set of the region's movable cells holding one tile (no two of them within Distance
  // of each other). Any tile may replace a piece's tile in all its cells at once as long as
  // it stands nowhere within Distance of the piece outside the region (nor in a kept cell),
  // keeps to Repeat, and no other piece of the region takes it; the best such relabelling is
  // an assignment of tiles to pieces, over each piece's 64 closest tiles and its own. Over
  // the whole grid it swaps the tiles of whole patterns that block moves cannot change one
  // block at a time. The new tiles are taken when they lower the total. Piece distances come
  // from the table of all distances when it is kept (every tile is then considered), else
  // from the tiles listed for the piece's cells. Returns the cells changed.
  int32_t Relabel(int32_t left, int32_t top, int32_t right, int32_t bottom, int threads);

  // Frees the table of all distances (400 MB for 10000 cells and 10000 tiles).
  void LetGoOfTable() {
    std::vector<uint32_t>().swap(dense_);
    std::vector<int32_t>().swap(denseIndex_);
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
  int32_t SolveBlock(int32_t left, int32_t top, int32_t right, int32_t bottom, std::mt19937_64* disturb = nullptr);

  // Tries the candidates of cell a closer than its tile; makes the first move that lowers
  // the total and keeps the rules. True when it made one.
  bool ImproveCell(int32_t a);

  // Looks for a chain of moves that lowers the total: cell a1 takes the tile of cell a2,
  // which takes the tile of a3, and so on, closed either where it started or by a tile
  // with a use to spare and a tile given up. These are the negative cycles of a graph on the
  // tiles (an edge s -> t for each cell holding s with candidate t, weighing the change of
  // that cell's distance) plus one node for spare uses; with Distance 0 and every tile a
  // candidate, a mosaic without one is optimal. Found by Bellman-Ford passes, each ending
  // with a search for a cycle among the predecessor links. Makes the cycle when it keeps
  // the Distance rule; else takes its edges out of the graph. 0 when there is no such
  // chain (or keepGoing said stop), 1 when it made one, 2 when it took edges out.
  int CancelCycle(const std::function<bool()>& keepGoing);

 private:
  template <typename Edge>
  int ApplyCycle(const std::vector<const Edge*>& cycle);

 public:
  int64_t Cycles() const { return cycles_; }
  void Unblock() { blocked_.clear(); }

 private:
  static uint64_t Key(int32_t cell, int32_t t) { return (uint64_t(uint32_t(cell)) << 32) | uint32_t(t); }

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

  void Replace(int32_t a, const TCandidate& cand);

  // Cell a takes tile cand.Tile from the cell holding it that gains most, which takes a's
  // tile in its best allowed orientation. Use counts stay; the Distance squares of both
  // cells must hold their new tiles once only.
  bool TrySwap(int32_t a, const TCandidate& cand);

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
  std::vector<int32_t> denseIndex_;  // per cell: its row in dense_, -1 for kept cells
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

}  // namespace qv::optimizer
