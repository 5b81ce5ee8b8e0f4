// The auction over a full table of costs against the sparse assignment solver (itself
// checked against brute force) on random tables, square and with more columns than rows.
#include <gtest/gtest.h>

#include <random>

#include "engine/DenseAuction.h"
#include "engine/SparseAssignment.h"

namespace {

int64_t Optimum(const std::vector<uint32_t>& costs, int32_t rows, int32_t cols, int32_t capacity) {
  qv::TAssignmentProblem p;
  p.Capacity.assign(size_t(cols), capacity);
  for (int32_t r = 0; r < rows; ++r) {
    for (int32_t c = 0; c < cols; ++c) p.Edges.push_back({c, int64_t(costs[size_t(r) * size_t(cols) + size_t(c)])});
    p.EndRow();
  }
  const qv::TAssignmentSolution s = qv::SolveAssignment(p);
  EXPECT_EQ(s.Outcome, qv::TAssignmentOutcome::Solved);
  return s.Cost;
}

TEST(DenseAuction, ComesWithinRowsTimesEpsilonOfTheOptimum) {
  std::mt19937 rng(41);
  for (int round = 0; round < 300; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    // Capacities 1 to 3; as many places as rows in every other round.
    const int32_t capacity = 1 + int32_t(rng() % 3);
    const int32_t rows = capacity * (1 + int32_t(rng() % 10));
    const int32_t cols = rows / capacity + (round % 2 ? 0 : int32_t(rng() % 13));  // odd widths test the vector tails
    // Costs in multiples of the places + 1 (the rows the auction works with): then a final
    // epsilon of 1 gives the exact optimum.
    const uint32_t spread = round % 3 == 0 ? 3 : 50000;
    std::vector<uint32_t> costs(size_t(rows) * size_t(cols));
    for (uint32_t& c : costs) c = (rng() % spread) * uint32_t(cols * capacity + 1);
    const int64_t optimum = Optimum(costs, rows, cols, capacity);
    int phases = 0;
    const qv::TAuctionResult r =
        qv::SolveDenseAuction(costs.data(), rows, cols, capacity, 1, {}, [&](const qv::TAuctionResult&) { ++phases; });
    ASSERT_EQ(r.ColumnOf.size(), size_t(rows));
    EXPECT_EQ(r.Phases, phases);
    std::vector<int> taken(size_t(cols), 0);
    int64_t total = 0;
    for (int32_t i = 0; i < rows; ++i) {
      ASSERT_GE(r.ColumnOf[size_t(i)], 0);
      ASSERT_LT(r.ColumnOf[size_t(i)], cols);
      EXPECT_LE(++taken[size_t(r.ColumnOf[size_t(i)])], capacity) << "column taken too often";
      total += costs[size_t(i) * size_t(cols) + size_t(r.ColumnOf[size_t(i)])];
    }
    EXPECT_EQ(total, optimum);
  }
}

TEST(DenseAuction, AStopKeepsTheLastFinishedPhase) {
  std::mt19937 rng(2);
  const int32_t n = 300;  // more rows than bids between two polls
  std::vector<uint32_t> costs(size_t(n) * size_t(n));
  for (uint32_t& c : costs) c = rng() % 1000000;
  const qv::TAuctionResult none = qv::SolveDenseAuction(costs.data(), n, n, 1, 1, [] { return false; });
  EXPECT_TRUE(none.ColumnOf.empty());

  int phases = 0;
  std::vector<int32_t> firstPhase;
  const qv::TAuctionResult r = qv::SolveDenseAuction(
      costs.data(), n, n, 1, 1, [&] { return phases < 1; },
      [&](const qv::TAuctionResult& phase) {
        if (++phases == 1) firstPhase = phase.ColumnOf;
      });
  EXPECT_EQ(r.Phases, 1);
  EXPECT_EQ(r.ColumnOf, firstPhase);
  EXPECT_EQ(r.ColumnOf.size(), size_t(n));

  std::vector<uint32_t> tooHigh(4, qv::kMaxAuctionCost + 1);
  EXPECT_TRUE(qv::SolveDenseAuction(tooHigh.data(), 2, 2, 1, 1).ColumnOf.empty());
  std::vector<uint32_t> small(6, 1);
  EXPECT_TRUE(qv::SolveDenseAuction(small.data(), 3, 2, 1, 1).ColumnOf.empty()) << "more rows than places";
}

}  // namespace
