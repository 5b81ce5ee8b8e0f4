#pragma once
// A minimum-cost assignment over a sparse set of allowed pairs: every row gets exactly one of
// its columns, no column takes more rows than its capacity, and the sum of the costs of the
// pairs taken is the least possible. The optimising pass uses it with cells as rows and tiles
// as columns (the capacity is what the Repeat limit leaves of a tile).
//
// Method: shortest augmenting paths with potentials. Each row first takes its cheapest column
// where that has room (the row's potential is that cost, every column's potential zero). Each
// row left over is then placed by a Dijkstra search over the reduced costs (cost minus the
// row's and the column's potential, never negative): from the row to a column, from a full
// column back to any row it holds at no cost, on through that row's pairs, until the first
// column with room is settled. The rows along the path move one column on, and the potentials
// of the settled rows and columns are shifted by their distances so that every pair keeps a
// non-negative reduced cost and every pair taken a zero one. Columns only ever fill, so a
// column with room keeps potential zero; the potentials then prove the assignment optimal.
//
// When the capacities add up to the rows every column ends full, the column potentials are
// free, and a cheaper phase comes between the two: each free row takes its cheapest column
// and lowers its potential to the row's second choice, pushing out the rows it held (an
// auction step), which leaves far fewer rows to the path searches.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace qv {

struct TAssignmentEdge {
  int32_t Col = 0;
  int64_t Cost = 0;  // at least 0
};

// The rows' pairs in one array: row r's are Edges[RowStart[r] .. RowStart[r + 1]).
struct TAssignmentProblem {
  std::vector<int32_t> Capacity;  // one per column
  std::vector<size_t> RowStart{0};
  std::vector<TAssignmentEdge> Edges;

  int32_t Rows() const { return int32_t(RowStart.size()) - 1; }
  int32_t Cols() const { return int32_t(Capacity.size()); }
  // Appends a row with the pairs added since the previous call.
  void EndRow() { RowStart.push_back(Edges.size()); }
};

enum class TAssignmentOutcome {
  Solved,
  Infeasible,  // some row cannot be given a column (or a column index is out of range)
  Stopped,     // keepGoing said no: there is no assignment
};

struct TAssignmentSolution {
  TAssignmentOutcome Outcome = TAssignmentOutcome::Stopped;
  std::vector<size_t> Edge;  // per row, the index in Edges of the pair taken (when Solved)
  int64_t Cost = 0;
  int32_t Searches = 0;  // rows placed by a path search rather than by the first phases
  // The proof of optimality: RowPotentials[r] + ColPotentials[c] is at most the cost of
  // every pair and equal for the pairs taken (when Solved). A pair added later whose cost is
  // below the sum could lower the total.
  std::vector<int64_t> RowPotentials, ColPotentials;
};

// keepGoing (may be empty) is asked before each path search. startPotentials (one per
// column, e.g. ColPotentials of a related problem solved before) are used when the
// capacities add up to the rows, where they can shorten the work; else they are ignored.
TAssignmentSolution SolveAssignment(const TAssignmentProblem& problem, const std::function<bool()>& keepGoing = {},
                                    const std::vector<int64_t>& startPotentials = {});

}  // namespace qv
