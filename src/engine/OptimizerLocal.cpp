#include "engine/Optimizer.h"

#include <algorithm>

namespace qv::optimizer {

bool Optimizer::ImproveCell(int32_t a) {
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

int Optimizer::CancelCycle(const std::function<bool()>& keepGoing) {
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

template <typename Edge>
int Optimizer::ApplyCycle(const std::vector<const Edge*>& cycle) {
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

bool Optimizer::TrySwap(int32_t a, const TCandidate& cand) {
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

}  // namespace qv::optimizer
