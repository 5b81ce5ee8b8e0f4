#include "engine/SparseAssignment.h"

#include <algorithm>
#include <limits>
#include <queue>
#include <utility>

namespace qv {
namespace {

constexpr int64_t kFar = std::numeric_limits<int64_t>::max() / 4;

class Solver {
 public:
  explicit Solver(const TAssignmentProblem& p)
      : p_(p),
        rows_(p.Rows()),
        cols_(p.Cols()),
        u_(size_t(rows_), 0),
        v_(size_t(cols_), 0),
        rowEdge_(size_t(rows_), kNone),
        rowNext_(size_t(rows_), -1),
        rowPrev_(size_t(rows_), -1),
        colFirst_(size_t(cols_), -1),
        colCount_(size_t(cols_), 0),
        dist_(size_t(cols_), kFar),
        state_(size_t(cols_), 0),
        via_(size_t(cols_), kNone) {}

  bool Valid() const {
    for (const TAssignmentEdge& e : p_.Edges)
      if (e.Col < 0 || e.Col >= cols_ || e.Cost < 0) return false;
    return true;
  }

  // Every column must be filled when the capacities add up to the rows: then the column
  // potentials need not stay at or below zero, and any start is allowed.
  bool Square() const {
    int64_t capacity = 0;
    for (int32_t c : p_.Capacity) capacity += c;
    return capacity == rows_;
  }

  void StartFrom(const std::vector<int64_t>& v) { v_ = v; }

  // Each row at its cheapest column (by reduced cost) when that has room; the others are
  // returned, in order.
  std::vector<int32_t> FirstPhase() {
    std::vector<int32_t> free;
    for (int32_t r = 0; r < rows_; ++r) {
      const size_t b = p_.RowStart[size_t(r)], e = p_.RowStart[size_t(r) + 1];
      size_t best = kNone;
      for (size_t k = b; k < e; ++k)
        if (Open(k) && (best == kNone || Reduced(k) < Reduced(best))) best = k;
      if (best == kNone) {
        free.push_back(r);
        continue;
      }
      u_[size_t(r)] = Reduced(best);
      const int32_t c = p_.Edges[best].Col;
      if (colCount_[size_t(c)] < p_.Capacity[size_t(c)])
        Take(r, best);
      else
        free.push_back(r);
    }
    return free;
  }

  // Only where every column must be filled: each free row takes its cheapest column and
  // lowers that column's potential until the row's second choice is as cheap, pushing out
  // the rows the column held, which try again in turn (an auction step without a minimum
  // raise). Bounded to a few steps per row; returns the rows still free.
  std::vector<int32_t> ReduceRows(std::vector<int32_t> free, const std::function<bool()>& keepGoing) {
    for (int pass = 0; pass < 2 && !free.empty(); ++pass) {
      std::vector<int32_t> next;
      int64_t budget = 4 * int64_t(rows_) + int64_t(free.size());
      for (size_t i = 0; i < free.size(); ++i) {
        if ((i & 1023) == 0 && keepGoing && !keepGoing()) return {};
        if (--budget < 0) {
          next.insert(next.end(), free.begin() + ptrdiff_t(i), free.end());
          break;
        }
        const int32_t r = free[i];
        const size_t b = p_.RowStart[size_t(r)], e = p_.RowStart[size_t(r) + 1];
        // The two cheapest pairs with columns that can take a row at all.
        size_t k1 = kNone, k2 = kNone;
        for (size_t k = b; k < e; ++k) {
          if (!Open(k)) continue;
          if (k1 == kNone) {
            k1 = k;
          } else if (Reduced(k) < Reduced(k1)) {
            k2 = k1;
            k1 = k;
          } else if (k2 == kNone || Reduced(k) < Reduced(k2)) {
            k2 = k;
          }
        }
        if (k1 == kNone) {
          next.push_back(r);
          continue;
        }
        const int64_t u1 = Reduced(k1);
        const int64_t u2 = k2 == kNone ? u1 : Reduced(k2);
        size_t take = k1;
        int32_t c = p_.Edges[k1].Col;
        if (u1 == u2 && k2 != kNone && Full(c) && !Full(p_.Edges[k2].Col)) {
          take = k2;
          c = p_.Edges[k2].Col;
        }
        if (Full(c)) {
          // Push out the rows there; the column's potential falls so that r pays its
          // second choice.
          if (take == k1) v_[size_t(c)] -= u2 - u1;
          while (colFirst_[size_t(c)] >= 0) {
            const int32_t out = colFirst_[size_t(c)];
            Drop(out);
            free.push_back(out);
          }
        }
        Take(r, take);
        u_[size_t(r)] = p_.Edges[take].Cost - v_[size_t(c)];
      }
      free = std::move(next);
    }
    return free;
  }

  // Places row r0 by the shortest path to a column with room; false when there is none.
  bool Augment(int32_t r0) {
    using Item = std::pair<int64_t, int32_t>;
    std::priority_queue<Item, std::vector<Item>, std::greater<Item>> heap;
    touched_.clear();
    settled_.clear();
    auto relax = [&](int32_t r, int64_t base) {
      const int64_t ur = u_[size_t(r)];
      for (size_t k = p_.RowStart[size_t(r)], e = p_.RowStart[size_t(r) + 1]; k < e; ++k) {
        const int32_t c = p_.Edges[k].Col;
        if (state_[size_t(c)] == 2 || !Open(k)) continue;
        const int64_t d = base + p_.Edges[k].Cost - ur - v_[size_t(c)];
        if (d < dist_[size_t(c)]) {
          if (state_[size_t(c)] == 0) {
            state_[size_t(c)] = 1;
            touched_.push_back(c);
          }
          dist_[size_t(c)] = d;
          via_[size_t(c)] = k;
          viaRow_[size_t(c)] = r;
          heap.push({d, c});
        }
      }
    };
    if (viaRow_.empty()) viaRow_.assign(size_t(cols_), -1);
    relax(r0, 0);
    int32_t end = -1;
    int64_t endDist = 0;
    while (!heap.empty()) {
      const auto [d, c] = heap.top();
      heap.pop();
      if (state_[size_t(c)] == 2 || d != dist_[size_t(c)]) continue;
      if (colCount_[size_t(c)] < p_.Capacity[size_t(c)]) {
        end = c;
        endDist = d;
        break;
      }
      state_[size_t(c)] = 2;
      settled_.push_back(c);
      for (int32_t r = colFirst_[size_t(c)]; r >= 0; r = rowNext_[size_t(r)]) relax(r, d);
    }
    bool placed = false;
    if (end >= 0) {
      // Potentials: every settled column and the rows it holds by its distance's shortfall.
      u_[size_t(r0)] += endDist;
      for (int32_t c : settled_) {
        const int64_t shift = endDist - dist_[size_t(c)];
        v_[size_t(c)] -= shift;
        for (int32_t r = colFirst_[size_t(c)]; r >= 0; r = rowNext_[size_t(r)]) u_[size_t(r)] += shift;
      }
      // Along the path each row moves to the column that reached it.
      for (int32_t c = end;;) {
        const int32_t r = viaRow_[size_t(c)];
        const size_t k = via_[size_t(c)];
        const int32_t before = rowEdge_[size_t(r)] == kNone ? -1 : p_.Edges[rowEdge_[size_t(r)]].Col;
        if (before >= 0) Drop(r);
        Take(r, k);
        if (r == r0) break;
        c = before;
      }
      placed = true;
    }
    for (int32_t c : touched_) {
      dist_[size_t(c)] = kFar;
      state_[size_t(c)] = 0;
    }
    return placed;
  }

  // A column that takes no row may have any potential at or below zero: the lowest of its
  // pairs' costs minus their rows' potentials keeps every such pair within its cost.
  void Finish() {
    for (int32_t r = 0; r < rows_; ++r)
      for (size_t k = p_.RowStart[size_t(r)]; k < p_.RowStart[size_t(r) + 1]; ++k)
        if (!Open(k)) {
          int64_t& v = v_[size_t(p_.Edges[k].Col)];
          v = std::min(v, p_.Edges[k].Cost - u_[size_t(r)]);
        }
  }

  std::vector<size_t> Edges() const { return rowEdge_; }
  const std::vector<int64_t>& RowPotentials() const { return u_; }
  const std::vector<int64_t>& ColPotentials() const { return v_; }

 private:
  static constexpr size_t kNone = std::numeric_limits<size_t>::max();

  int64_t Reduced(size_t k) const { return p_.Edges[k].Cost - v_[size_t(p_.Edges[k].Col)]; }
  // Pairs with columns of no capacity take no part; their columns' potentials are set at the
  // end (see Finish).
  bool Open(size_t k) const { return p_.Capacity[size_t(p_.Edges[k].Col)] > 0; }
  bool Full(int32_t c) const { return colCount_[size_t(c)] >= p_.Capacity[size_t(c)]; }

  void Take(int32_t r, size_t k) {
    const int32_t c = p_.Edges[k].Col;
    rowEdge_[size_t(r)] = k;
    rowPrev_[size_t(r)] = -1;
    rowNext_[size_t(r)] = colFirst_[size_t(c)];
    if (colFirst_[size_t(c)] >= 0) rowPrev_[size_t(colFirst_[size_t(c)])] = r;
    colFirst_[size_t(c)] = r;
    ++colCount_[size_t(c)];
  }

  void Drop(int32_t r) {
    const int32_t c = p_.Edges[rowEdge_[size_t(r)]].Col;
    const int32_t prev = rowPrev_[size_t(r)], next = rowNext_[size_t(r)];
    if (prev >= 0)
      rowNext_[size_t(prev)] = next;
    else
      colFirst_[size_t(c)] = next;
    if (next >= 0) rowPrev_[size_t(next)] = prev;
    rowEdge_[size_t(r)] = kNone;
    --colCount_[size_t(c)];
  }

  const TAssignmentProblem& p_;
  const int32_t rows_, cols_;
  std::vector<int64_t> u_, v_;  // potentials: u_r + v_c <= cost, equal on the pairs taken
  std::vector<size_t> rowEdge_;
  std::vector<int32_t> rowNext_, rowPrev_;  // the rows of a column, linked
  std::vector<int32_t> colFirst_, colCount_;
  // The path search: distance, 0 unseen / 1 reached / 2 settled, the pair that reached it.
  std::vector<int64_t> dist_;
  std::vector<uint8_t> state_;
  std::vector<size_t> via_;
  std::vector<int32_t> viaRow_;
  std::vector<int32_t> touched_, settled_;
};

}  // namespace

TAssignmentSolution SolveAssignment(const TAssignmentProblem& problem, const std::function<bool()>& keepGoing,
                                    const std::vector<int64_t>& startPotentials) {
  TAssignmentSolution out;
  Solver solver(problem);
  if (!solver.Valid() || problem.RowStart.empty() || problem.RowStart.back() != problem.Edges.size()) {
    out.Outcome = TAssignmentOutcome::Infeasible;
    return out;
  }
  const bool square = solver.Square();
  if (square && startPotentials.size() == size_t(problem.Cols())) solver.StartFrom(startPotentials);
  std::vector<int32_t> free = solver.FirstPhase();
  if (square) {
    free = solver.ReduceRows(std::move(free), keepGoing);
    if (keepGoing && !keepGoing()) return out;
  }
  for (int32_t r : free) {
    if (keepGoing && !keepGoing()) return out;
    if (!solver.Augment(r)) {
      out.Outcome = TAssignmentOutcome::Infeasible;
      return out;
    }
    ++out.Searches;
  }
  solver.Finish();
  out.Edge = solver.Edges();
  out.RowPotentials = solver.RowPotentials();
  out.ColPotentials = solver.ColPotentials();
  for (size_t k : out.Edge) out.Cost += problem.Edges[k].Cost;
  out.Outcome = TAssignmentOutcome::Solved;
  return out;
}

}  // namespace qv
