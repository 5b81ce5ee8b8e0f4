#include "engine/OptimizeComposition.h"

#include <algorithm>
#include <chrono>
#include <functional>
#include <random>
#include <thread>
#include <vector>

#include "base/Errors.h"
#include "engine/Optimizer.h"
#include "engine/QVData.h"

namespace qv {
namespace {

int64_t SteadyMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace

using optimizer::Optimizer;

TOptimizeResult OptimizeComposition(TQVData& library, const TQVData& plan, TQVData& mosaic,
                                    const TOptimizeSettings& settings, const TOptimizeHooks& hooks) {
  TOptimizeResult result;
  if (!plan.TableIsOpen() || !library.TableIsOpen() || !mosaic.TableIsOpen()) return result;
  const TCompositionSettings& rules = settings.Rules;
  if (!AnyOrientation(rules.Orientations)) {
    result.Outcome = TOptimizeOutcome::NoOrientation;
    result.Message = kNoOrientationMessage;
    return result;
  }
  if (rules.Cols < 1 || rules.Rows < 1 || int64_t(rules.Cols) * rules.Rows != plan.Count || mosaic.Count != plan.Count)
    throw EQuivara("A grid of " + std::to_string(rules.Cols) + " x " + std::to_string(rules.Rows) +
                   " cells does not fit a plan of " + std::to_string(plan.Count) + " and a mosaic of " +
                   std::to_string(mosaic.Count) + " cells");
  if (rules.Distance < 0 || rules.Repeat < 0) throw EQuivara("Distance and Repeat must not be negative");
  if (plan.GridW != library.GridW || plan.GridH != library.GridH || plan.SigSize != library.SigSize)
    throw EQuivara("The library's signature grid does not fit the project's");

  auto now = [&] { return hooks.NowMs ? hooks.NowMs() : SteadyMs(); };
  const int64_t startMs = now();
  Optimizer opt(library, plan, mosaic, settings);
  result.Cells = int32_t(opt.Cells().size());
  result.StartDistance = result.EndDistance = opt.Total();
  result.Message = opt.RuleFault();
  if (!result.Message.empty()) {
    result.Outcome = TOptimizeOutcome::RulesBroken;
    result.ElapsedMs = now() - startMs;
    return result;
  }

  const int threads = settings.Threads > 0 ? settings.Threads : int(std::max(1u, std::thread::hardware_concurrency()));
  // Distance 0 under a Repeat limit is an assignment problem, solved exactly below.
  const bool assignment = rules.Distance == 0 && rules.Repeat > 0;
  const size_t perTile = !assignment || opt.AuctionFits() ? 0
                         : settings.CellsPerTile > 0      ? size_t(settings.CellsPerTile)
                                                          : 32;
  // Under a Distance rule the table of all distances serves the layout by classes and the
  // relabelling of whole pieces (see engine/Optimizer.h).
  opt.ListCandidates(threads, perTile, assignment || rules.Distance > 0);
  result.CandidatesMs = now() - startMs;
  TOptimizeProgress progress;
  progress.TotalDistance = result.StartDistance;
  if (hooks.OnProgress) hooks.OnProgress(progress);

  std::vector<int32_t> order = opt.Cells();
  std::mt19937_64 rng(settings.Seed);
  // A Fisher-Yates shuffle of our own: the same seed gives the same order everywhere.
  for (size_t i = order.size(); i > 1; --i) std::swap(order[i - 1], order[size_t(rng() % i)]);

  result.Outcome = TOptimizeOutcome::Completed;
  // Writing the changed cells into the mosaic at the end takes time too (about 40 us a cell
  // on the benchmark machine, 0.4 s for 10000 cells): the search ends that much earlier, by
  // at most a fifth of the limit.
  const int64_t searchMs = settings.TimeLimitMs - std::min(settings.TimeLimitMs / 5, int64_t(result.Cells) * 40 / 1000);
  // False once a stop is requested or the time is up (the outcome says which).
  auto keepGoing = [&] {
    if (result.Outcome != TOptimizeOutcome::Completed) return false;
    if (hooks.StopRequested && hooks.StopRequested()) {
      result.Outcome = TOptimizeOutcome::Stopped;
      return false;
    }
    if (settings.TimeLimitMs > 0 && now() - startMs >= searchMs) {
      result.Outcome = TOptimizeOutcome::TimeUp;
      return false;
    }
    return true;
  };
  auto report = [&] {
    progress.Sweep = result.Sweeps;
    progress.Moves = result.Moves;
    progress.TotalDistance = opt.Total();
    if (hooks.OnProgress) hooks.OnProgress(progress);
  };
  // After an exact assignment no chain over the candidate lists can lower the total (their
  // pairs were all in the problem), so the search for chains is left out.
  bool exact = false;
  if (assignment && keepGoing()) {
    const int32_t changed = opt.AssignExactly(keepGoing, threads, [&](int32_t soFar) {
      progress.Moves = result.Moves + soFar;
      progress.TotalDistance = opt.Total();
      if (hooks.OnProgress) hooks.OnProgress(progress);
    });
    exact = result.Outcome == TOptimizeOutcome::Completed;
    result.Moves += changed;
    report();
  }
  int32_t blockSweeps = 0, blockMisses = 0, relabelRounds = 0;
  bool kicking = true, relabelling = rules.Distance > 0;
  if (rules.Distance > 0 && keepGoing()) {
    // A fresh start by classes where it applies, else block by block.
    int32_t changed = opt.ComposeByResidues(keepGoing, threads);
    if (changed == 0 && keepGoing()) changed = opt.ComposeByBlocks(keepGoing);
    result.Moves += changed;
    report();
  }
  while (keepGoing()) {
    if (rules.Distance > 0 && blockMisses < opt.BlockSide()) {
      // Block moves at ever new offsets of the block grid, while they change something: the
      // offsets come round again after BlockSide() sweeps, so as many sweeps without a change
      // have tried them all.
      const int64_t changed = opt.BlockSweep(blockSweeps * 3, blockSweeps * 5, keepGoing);
      ++blockSweeps;
      result.Moves += changed;
      blockMisses = changed > 0 ? 0 : blockMisses + 1;
      report();
      continue;
    }
    // Sweeps of replacements and swaps until one changes nothing, then chains of moves.
    int64_t moves = 0;
    for (size_t i = 0; i < order.size() && keepGoing(); ++i)
      if (opt.ImproveCell(order[i])) ++moves;
    if (!keepGoing()) {
      result.Moves += moves;
      break;
    }
    ++result.Sweeps;
    result.Moves += moves;
    if (moves > 0) {
      blockMisses = 0;
      report();
      continue;
    }
    if (exact) break;
    if (relabelling) {
      // Rounds of relabelling over the whole grid and over overlapping regions of six
      // blocks' side, at a new offset each round, while a round lowers the total by 0.1 %;
      // then the block sweeps and the local search once more.
      const uint64_t before = opt.Total();
      const int32_t half = 3 * opt.BlockSide(), shift = relabelRounds % 3 * half / 3 - half;
      result.Moves += opt.Relabel(0, 0, rules.Cols, rules.Rows, threads);
      for (int32_t y = shift; y < rules.Rows && keepGoing(); y += half)
        for (int32_t x = shift; x < rules.Cols && keepGoing(); x += half)
          result.Moves += opt.Relabel(x, y, x + 2 * half, y + 2 * half, threads);
      ++relabelRounds;
      relabelling = opt.Total() < before - before / 1000;
      if (!relabelling) opt.LetGoOfTable();
      blockMisses = 0;
      report();
      continue;
    }
    if (rules.Distance > 0 && kicking) {
      // Rounds of kicks, as many as the grid has blocks but at least kMinKicks, while a round
      // keeps any; then the block sweeps and the local search once more. On a small grid or
      // selection a round of one kick per block is over before a kick that pays has come up:
      // a 28 x 28 grid of 16 blocks ended its kicks after 18 s, 0.4 points short of what a
      // minute of them finds.
      constexpr int64_t kMinKicks = 256;
      const int32_t side = opt.BlockSide();
      const int64_t kicks = std::max<int64_t>(kMinKicks, int64_t(result.Cells) / (side * side));
      while (kicking && keepGoing()) {
        int64_t kept = 0;
        for (int64_t k = 0; k < kicks && keepGoing(); ++k) kept += opt.Kick(rng) ? 1 : 0;
        result.Moves += kept;
        kicking = kept > 0;
        report();
      }
      blockMisses = 0;
      continue;
    }
    int64_t chains = 0;
    for (int found; (found = opt.CancelCycle(keepGoing)) != 0;)
      if (found == 1) ++chains;
    result.Moves += chains;
    report();
    if (chains == 0) break;
    opt.Unblock();  // moves refused before may keep the rules now
  }
  result.Chains = opt.Cycles();

  for (int32_t c : opt.Cells()) {
    if (opt.Record(c) == opt.StartRecord(c)) continue;
    library.GoRecord(opt.Record(c));
    if (hooks.BeforePlace) hooks.BeforePlace(c + 1);
    if (mosaic.PlaceTile(c + 1, library, true)) ++result.Changed;
  }
  result.EndDistance = opt.Total();
  result.ElapsedMs = now() - startMs;
  return result;
}

}  // namespace qv
