// The sparse assignment solver against the optimum found by trying every assignment of small
// random problems: sparse pairs, capacities above one, ties, and problems without a solution.
#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "engine/SparseAssignment.h"

namespace {

using qv::TAssignmentOutcome;
using qv::TAssignmentProblem;

// The lowest total over every way of giving each row one of its pairs within the capacities,
// or -1 when there is none.
int64_t BruteForce(const TAssignmentProblem& p) {
  std::vector<int32_t> used(p.Capacity.size(), 0);
  int64_t best = -1;
  std::function<void(int32_t, int64_t)> go = [&](int32_t r, int64_t sum) {
    if (best >= 0 && sum >= best) return;
    if (r == p.Rows()) {
      best = sum;
      return;
    }
    for (size_t k = p.RowStart[size_t(r)]; k < p.RowStart[size_t(r) + 1]; ++k) {
      const int32_t c = p.Edges[k].Col;
      if (used[size_t(c)] >= p.Capacity[size_t(c)]) continue;
      ++used[size_t(c)];
      go(r + 1, sum + p.Edges[k].Cost);
      --used[size_t(c)];
    }
  };
  go(0, 0);
  return best;
}

TEST(SparseAssignment, FindsTheOptimumOfSmallRandomProblems) {
  std::mt19937 rng(12);
  int solved = 0, infeasible = 0;
  for (int round = 0; round < 600; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    TAssignmentProblem p;
    const int32_t rows = 1 + int32_t(rng() % 7), cols = 1 + int32_t(rng() % 7);
    for (int32_t c = 0; c < cols; ++c) p.Capacity.push_back(int32_t(rng() % 3));  // 0 too
    // Every other round the capacities add up to the rows, where the solver takes another
    // road (and may start from any column potentials).
    const bool square = round % 2 == 1;
    std::vector<int64_t> start;
    if (square) {
      std::fill(p.Capacity.begin(), p.Capacity.end(), 0);
      for (int32_t r = 0; r < rows; ++r) ++p.Capacity[rng() % uint32_t(cols)];
      if (round % 4 == 3)
        for (int32_t c = 0; c < cols; ++c) start.push_back(int64_t(rng() % 2000000) - 1000000);
    }
    // Few distinct costs in some rounds, so that ties are common.
    const int64_t spread = round % 3 == 0 ? 4 : 1000000;
    for (int32_t r = 0; r < rows; ++r) {
      for (int32_t c = 0; c < cols; ++c)
        if (rng() % 3 != 0) p.Edges.push_back({c, int64_t(rng() % uint32_t(spread))});
      if (round % 5 == 0 && !p.Edges.empty() && rng() % 2) p.Edges.push_back(p.Edges.back());  // a pair twice
      p.EndRow();
    }
    const int64_t optimum = BruteForce(p);
    const qv::TAssignmentSolution s = qv::SolveAssignment(p, {}, start);
    if (optimum < 0) {
      EXPECT_EQ(s.Outcome, TAssignmentOutcome::Infeasible);
      ++infeasible;
      continue;
    }
    ASSERT_EQ(s.Outcome, TAssignmentOutcome::Solved);
    ++solved;
    EXPECT_EQ(s.Cost, optimum);
    // The pairs taken are the rows' own, within the capacities, and add up to the cost.
    ASSERT_EQ(s.Edge.size(), size_t(rows));
    std::vector<int32_t> used(size_t(cols), 0);
    int64_t sum = 0;
    for (int32_t r = 0; r < rows; ++r) {
      const size_t k = s.Edge[size_t(r)];
      ASSERT_GE(k, p.RowStart[size_t(r)]);
      ASSERT_LT(k, p.RowStart[size_t(r) + 1]);
      ++used[size_t(p.Edges[k].Col)];
      sum += p.Edges[k].Cost;
    }
    for (int32_t c = 0; c < cols; ++c) EXPECT_LE(used[size_t(c)], p.Capacity[size_t(c)]);
    EXPECT_EQ(sum, s.Cost);
    // The potentials prove it: never above a pair's cost, equal on the pairs taken.
    for (int32_t r = 0; r < rows; ++r)
      for (size_t k = p.RowStart[size_t(r)]; k < p.RowStart[size_t(r) + 1]; ++k) {
        const int64_t sumUV = s.RowPotentials[size_t(r)] + s.ColPotentials[size_t(p.Edges[k].Col)];
        EXPECT_LE(sumUV, p.Edges[k].Cost);
        if (k == s.Edge[size_t(r)]) {
          EXPECT_EQ(sumUV, p.Edges[k].Cost);
        }
      }
  }
  EXPECT_GT(solved, 200);
  EXPECT_GT(infeasible, 50);
}

// Larger problems (beyond brute force) where the greedy first phase leaves many rows to the
// path searches: the result must keep the capacities and beat or equal any single exchange
// of two rows' columns.
TEST(SparseAssignment, NoExchangeOfTwoRowsImprovesALargerSolution) {
  std::mt19937 rng(3);
  TAssignmentProblem p;
  const int32_t rows = 300, cols = 160;
  p.Capacity.assign(size_t(cols), 2);
  for (int32_t r = 0; r < rows; ++r) {
    for (int k = 0; k < 12; ++k) {
      const int32_t c = int32_t(rng() % uint32_t(cols));
      p.Edges.push_back({c, int64_t((c * 37 + r * 11) % 97) + int64_t(rng() % 50)});
    }
    p.EndRow();
  }
  const qv::TAssignmentSolution s = qv::SolveAssignment(p);
  ASSERT_EQ(s.Outcome, TAssignmentOutcome::Solved);
  EXPECT_GT(s.Searches, 20);
  std::vector<int32_t> used(size_t(cols), 0);
  for (int32_t r = 0; r < rows; ++r) ++used[size_t(p.Edges[s.Edge[size_t(r)]].Col)];
  for (int32_t c = 0; c < cols; ++c) EXPECT_LE(used[size_t(c)], 2);
  // Cost of row r in column c (the cheapest of its pairs with c), or -1.
  auto cost = [&](int32_t r, int32_t c) {
    int64_t best = -1;
    for (size_t k = p.RowStart[size_t(r)]; k < p.RowStart[size_t(r) + 1]; ++k)
      if (p.Edges[k].Col == c && (best < 0 || p.Edges[k].Cost < best)) best = p.Edges[k].Cost;
    return best;
  };
  for (int32_t a = 0; a < rows; ++a) {
    const auto& ea = p.Edges[s.Edge[size_t(a)]];
    EXPECT_EQ(ea.Cost, cost(a, ea.Col)) << "row " << a << " pays more than its pair with its column";
    for (int32_t b = a + 1; b < rows; ++b) {
      const auto& eb = p.Edges[s.Edge[size_t(b)]];
      const int64_t ab = cost(a, eb.Col), ba = cost(b, ea.Col);
      if (ab >= 0 && ba >= 0) {
        EXPECT_GE(ab + ba, ea.Cost + eb.Cost) << "rows " << a << ", " << b;
      }
    }
  }
}

TEST(SparseAssignment, AStopGivesNoAssignmentAndBadInputIsRefused) {
  TAssignmentProblem p;
  p.Capacity = {1, 1};
  p.Edges = {{0, 5}, {1, 6}};
  p.EndRow();
  p.Edges.push_back({0, 1});
  p.EndRow();  // row 1 wants column 0 as well: one path search
  const qv::TAssignmentSolution stopped = qv::SolveAssignment(p, [] { return false; });
  EXPECT_EQ(stopped.Outcome, TAssignmentOutcome::Stopped);
  EXPECT_TRUE(stopped.Edge.empty());
  const qv::TAssignmentSolution s = qv::SolveAssignment(p);
  ASSERT_EQ(s.Outcome, TAssignmentOutcome::Solved);
  EXPECT_EQ(s.Cost, 7);

  p.Edges.push_back({2, 1});  // a column that does not exist
  p.EndRow();
  EXPECT_EQ(qv::SolveAssignment(p).Outcome, TAssignmentOutcome::Infeasible);
}

}  // namespace
