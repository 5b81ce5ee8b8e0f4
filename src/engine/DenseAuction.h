#pragma once
// A minimum-cost assignment of rows to columns, each column taking at most `capacity` rows,
// over a full table of costs, by the auction method with epsilon scaling. Used by the
// optimising pass under a small Repeat limit when the distances of all cell and tile pairs
// are at hand.
//
// Each column has a price. A row without a column bids for the column where its cost plus
// the price is lowest, raising that price by the margin over its second choice plus epsilon,
// and takes the column from the row that held it, which bids in turn. When every row holds a
// column, each pays at most epsilon more than its best choice at the final prices, so the
// total is at most rows x epsilon above the optimum. Epsilon starts large and falls by a
// factor each phase; the prices carry over, which keeps the bidding of the small epsilons
// short. A column of capacity k is k places with a price each; a row bids for the cheapest
// place of a column. With fewer rows than places, the places no row takes are given to rows
// of zero cost added for the purpose (a place's price then settles where leaving it unused
// costs nothing).
#include <cstdint>
#include <functional>
#include <vector>

namespace qv {

// Costs above this are not allowed (prices and sums stay within 32 bits).
constexpr uint32_t kMaxAuctionCost = uint32_t(1) << 26;

struct TAuctionResult {
  // The assignment of the last phase that finished: per row its column (empty when no
  // phase finished).
  std::vector<int32_t> ColumnOf;
  int64_t Epsilon = 0;  // of that phase: the total is at most rows x Epsilon above the optimum
  int32_t Phases = 0;
  int64_t Bids = 0;
};

// costs: rows x cols, row by row, rows <= cols x capacity, each at most kMaxAuctionCost (a pair that
// must not be taken gets kMaxAuctionCost; the caller checks what came out). keepGoing (may
// be empty) is polled every few hundred bids; onPhase (may be empty) gets each phase's
// assignment. Phases run until epsilon reaches finalEpsilon.
TAuctionResult SolveDenseAuction(const uint32_t* costs, int32_t rows, int32_t cols, int32_t capacity,
                                 int64_t finalEpsilon, const std::function<bool()>& keepGoing = {},
                                 const std::function<void(const TAuctionResult&)>& onPhase = {});

}  // namespace qv
