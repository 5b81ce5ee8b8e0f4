#pragma once
// A lower bound on the total distance of any mosaic of a grid under a Distance rule: no
// mosaic whose cells all hold library tiles, with no tile twice within the Distance square,
// has a lower sum over the cells of the signature distance between the cell's plan and its
// tile (in the tile's best allowed orientation). It tells how far a composed or optimised
// mosaic can at most be from the best one there is.
//
// Method: a Lagrangian relaxation. Give each cell c a price p(c). Any mosaic's total equals
// the sum of the prices plus, tile by tile, the sum of distance(c, t) - p(c) over the cells
// the tile stands in; so the sum of the prices plus, for each tile, the least such sum over
// the sets of cells it may stand in together (no two within Distance) is at most the best
// total. That least sum is bounded from below by letting the tile stand in bands of
// Distance + 1 columns on their own, at most once in any Distance + 1 consecutive rows of a
// band (true of every allowed set), where a dynamic program over the rows finds it exactly;
// for a picture whose rows are each of one colour the relaxation loses nothing. The prices
// start at each cell's median distance to its (Distance + 1)^2 closest tiles and follow
// subgradient steps: a cell that no tile's best set covers gets dearer, one that several
// cover cheaper, by a step sized against a known total (Polyak's rule). The bound is the
// best value seen.
//
// The Repeat rule and kept cells are left out: both can only raise the best total, so the
// bound holds for them too, if less tightly. Every distance is kept in a table of
// cells x tiles (refused beyond 2^28 pairs).
#include <cstdint>
#include <functional>

#include "engine/CompositionRun.h"

namespace qv {

class TQVData;

struct TBoundSettings {
  int32_t Cols = 0, Rows = 0;
  int32_t Distance = 1;  // at least 1
  TOrientationSet Orientations{true, false, false, false};
  int Iterations = 200;
  uint64_t KnownTotal = 0;  // a total some mosaic under the rule reaches, for the step size
  int Threads = 0;          // 0: one per core
};

struct TBoundResult {
  uint64_t LowerBound = 0;
  int Iterations = 0;  // done
};

// Raises EQuivara when plan and library do not fit, the grid does not fit the plan, the
// Distance is below 1, no orientation is allowed or the table would pass 2^28 pairs.
// afterIteration(iteration, bound so far) follows each step; false from it stops.
TBoundResult OptimumLowerBound(const TQVData& library, const TQVData& plan, const TBoundSettings& settings,
                               const std::function<bool(int, uint64_t)>& afterIteration = {});

}  // namespace qv
