#pragma once
// The optimising pass over a composed mosaic: it lowers the sum over the cells of the
// signature distance between each cell's plan and its tile, while keeping every rule a
// composition run keeps: no tile twice within the Distance square, no tile used more than
// Repeat times (flipped copies count as their tile), only the allowed orientations, kept
// cells ("Fix auto", "Fix custom", cells outside the work area) untouched, deleted tiles
// never chosen.
//
// Method: each cell of the work area gets a list of its best K tiles (each in its best
// allowed orientation), worked out on all cores from a comparison of every cell with every
// tile.
//
// With Distance 0 and a Repeat limit the cells are tied together by the use counts alone, and
// the best mosaic is a minimum-cost assignment of tiles to cells; it is solved as one:
// - a small Repeat limit (tiles x Repeat at most three times the cells): the comparison keeps
//   every distance (up to a table of 2^28 pairs), and an auction over all pairs
//   (engine/DenseAuction.h) settles the assignment; each of its phases ends with a complete
//   assignment, within one unit of distance per cell of the optimum at the last;
// - otherwise the shortest-augmenting-path solver (engine/SparseAssignment.h) solves it over
//   the cells' lists, each tile's closest cells and each cell's own tile; when every distance
//   was kept, the solver's potentials then price the other pairs, those that could lower the
//   total join and it is solved again, until none is left or the time is up.
// When the time is up or a stop comes during a solve, the auction's last complete phase is
// kept (if it lowered the total); an unfinished solve of the other kind changes nothing.
//
// Under a Distance rule, with the table of all distances kept when it fits (as above):
// - a fresh start where the whole grid is free and Repeat is "Auto": a layout that repeats
//   every Distance + 1 cells across and down, the tiles shared out among its classes of
//   cells (Optimizer::ComposeByResidues); else the whole work area composed block by block
//   (Optimizer::ComposeByBlocks); either is taken when it beats the present mosaic;
// - moves on blocks: a block of side min(Distance + 1, 8) holds cells all within Distance of
//   each other, so no tile may stand twice in it, and its best tiles given the rest of the
//   mosaic are again an assignment (Optimizer::SolveBlock); sweeps of them at ever new
//   offsets of the block grid while they gain;
// - rounds of relabelling (Optimizer::Relabel): over the whole grid and over overlapping
//   regions of six blocks' side, the cells holding one tile change to another tile all at
//   once, the best such change of the region's tiles found as an assignment; this moves
//   whole repeating patterns, which the block moves can only change one block at a time.
//   Rounds go on while one lowers the total by 0.1 %, the table is then let go;
// - then rounds of kicks (Optimizer::Kick): a block at a random place is solved with
//   disturbed distances and the blocks around it again with the true ones; the region is
//   kept when its total fell, else put back. Rounds go on while one keeps any kick.
// On the benchmark's Distance 6 project of 10000 cells and tiles (Repeat "Auto"), in ten
// seconds: the start by classes 0.2 % below the greedy run, the block sweeps 2.4 %, the
// relabelling 3.5 %, the kicks a little more.
//
// Then (and for every other case) a local search visits the cells in a random order fixed by
// the seed and, for each cell, tries its candidates that are closer than its tile: a
// replacement when the rules let the tile in, else a swap with a cell that holds the tile; a
// move is made only when it lowers the total and keeps the rules. Sweeps repeat until neither
// they nor a chain of moves change anything, the time is up or a stop is requested. Chains of
// moves over several cells are looked for as the negative cycles of a graph on the tiles (see
// Optimizer::CancelCycle); they are left out after an exact assignment, where none can exist
// among the candidates. The assignment is valid after every move; the changed cells are
// written into the mosaic at the end.
//
// Use counts are those of the cells the pass may change, as a composition run counts the
// cells it fills. Empty cells and custom pictures are left as they are.
#include <cstdint>
#include <functional>
#include <string>

#include "engine/CompositionRun.h"

namespace qv {

class TQVData;

struct TOptimizeSettings {
  // The rules, the grid and the work area (Mode and RandomSeed are not used).
  TCompositionSettings Rules;
  // K: tiles listed per cell; 0 chooses: 128 under a Repeat limit, where the tiles a cell
  // wants are mostly taken and the exchanges need longer lists, else 32, and under a
  // Distance rule at least twice the cells of a block (the tiles a block may draw on).
  int32_t Candidates = 0;
  // With Distance 0 under a Repeat limit: cells listed per tile for the assignment; 0 chooses.
  int32_t CellsPerTile = 0;
  uint64_t Seed = 1;        // the visiting order; the same seed gives the same mosaic
  int64_t TimeLimitMs = 0;  // 0: until a sweep changes nothing
  int Threads = 0;          // for the candidate lists: 0 one per core
  // How much more a difference in a cell's mean colour counts than the same difference in
  // the pattern within the cell. 1 lowers the plain signature distance. Above 1 the pass
  // prefers tiles of the cell's own colour to tiles that only share its pattern, which brings
  // the rendered mosaic's colours closer to the picture (on the benchmark's 100 x 100 cells
  // of 1000 tiles at Distance 6, the cell-mean error against the picture fell from 29.0 at
  // 1 to 22.6 at 4 and 21.7 at 16, while the signature total rose 12 % and 20 %). The totals
  // of the result and the progress are then in this weighted measure.
  double ColourWeight = 1.0;
};

struct TOptimizeProgress {
  int32_t Sweep = 0;  // sweeps finished
  int64_t Moves = 0;  // moves made so far
  uint64_t TotalDistance = 0;
};

struct TOptimizeHooks {
  // Polled between cells; true ends the pass (the moves made so far are kept).
  std::function<bool()> StopRequested;
  // After the candidate lists, after every solve of an assignment and after every sweep.
  std::function<void(const TOptimizeProgress&)> OnProgress;
  // At the end, before a changed cell (its record number) is written into the mosaic: the
  // window records the cell for undo.
  std::function<void(int32_t cell)> BeforePlace;
  // Milliseconds of a steady clock; std::chrono::steady_clock when empty.
  std::function<int64_t()> NowMs;
};

enum class TOptimizeOutcome {
  NotOpen,        // plan, mosaic or library not open: nothing done
  NoOrientation,  // kNoOrientationMessage
  RulesBroken,    // the mosaic does not keep the rules to begin with; Message says where
  Completed,      // a sweep changed nothing
  TimeUp,
  Stopped,
};

struct TOptimizeResult {
  TOptimizeOutcome Outcome = TOptimizeOutcome::NotOpen;
  std::string Message;
  int32_t Cells = 0;           // cells the pass may change
  int32_t Changed = 0;         // cells that hold another tile or orientation afterwards
  int64_t Moves = 0;           // replacements, swaps and chains made
  int64_t Chains = 0;          // of those, chains of three or more cells
  int32_t Sweeps = 0;          // sweeps finished
  uint64_t StartDistance = 0;  // total over the cells the pass may change
  uint64_t EndDistance = 0;
  int64_t CandidatesMs = 0;  // time spent on the candidate lists
  int64_t ElapsedMs = 0;
};

// Optimises mosaic in place, lowering MosaicDistance (engine/MosaicQuality.h) over the
// cells it may change (plan gives each cell's signature, library the tiles). Raises EQuivara
// when plan, mosaic, library and settings do not fit together, before anything changes.
// The library's current record moves; its use counts are left as they were.
TOptimizeResult OptimizeComposition(TQVData& library, const TQVData& plan, TQVData& mosaic,
                                    const TOptimizeSettings& settings, const TOptimizeHooks& hooks = {});

}  // namespace qv
