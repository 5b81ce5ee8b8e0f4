#pragma once
// A lower bound on the total distance of any mosaic of a grid under a Distance rule: no
// mosaic whose cells all hold library tiles, with no tile twice within the Distance square,
// has a lower sum over the cells of the signature distance between the cell's plan and its
// tile (in the tile's best allowed orientation). It tells how far a composed or optimised
// mosaic can at most be from the best one there is.
//
// Method: a Lagrangian relaxation of the rule. The rule says a tile stands at most once in any
// window of (Distance + 1) x (Distance + 1) cells. Give each tile and window a penalty
// p(t, w) >= 0 and charge a cell showing tile t the sum of the penalties of t's windows around
// it. Any mosaic's total is then at least the sum over the cells of the lowest charged
// distance any tile gives the cell, minus the sum of all penalties (a tile stands at most once
// in each window, so it pays each penalty at most once); with all penalties 0 this is each
// cell's closest tile. The penalties follow subgradient steps: a window where several cells
// choose the tile gets dearer for it, one with a penalty where none chooses it cheaper, by a
// step sized against a target a little above the best value so far (Polyak's rule), halved
// when 200 steps bring no higher value. The bound is the best value seen; it rises towards that
// of the linear programme with every window's constraint, slowly: on a 100 x 100 grid 1000
// steps end about 1.5 % below where 20000 do.
//
// Each cell keeps only its 64 closest tiles and the distance of the next one: no other tile
// is closer than that and charges only add to it, so that distance stands for all the others.
// No table of all distances is needed.
//
// The Repeat rule and kept cells are left out: both can only raise the best total, so the
// bound holds for them too, if less tightly.
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
// Distance is below 1 or no orientation is allowed.
// afterIteration(iteration, bound so far) follows each step; false from it stops.
TBoundResult OptimumLowerBound(const TQVData& library, const TQVData& plan, const TBoundSettings& settings,
                               const std::function<bool(int, uint64_t)>& afterIteration = {});

}  // namespace qv
