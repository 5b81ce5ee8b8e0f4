#include "engine/OptimumBound.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "base/Errors.h"
#include "base/OnThreads.h"
#include "engine/MosaicQuality.h"
#include "engine/QVData.h"
#include "engine/Signature.h"

namespace qv {
namespace {

constexpr size_t kCandidates = 64;
// The step is halved when kCheckEvery steps have not raised the bound. (Halving whenever 300
// steps raise it by less than 0.02 % ends 0.14 % lower after 20000 steps on a 100 x 100 grid.)
constexpr int kCheckEvery = 200;
// At most this many penalties are kept (16 bytes each: 512 MB).
constexpr size_t kMaxPenalties = size_t(1) << 25;

// Summed-area tables of (width + 1) x (height + 1) entries: a zero first row and column, and at
// (x + 1, y + 1) the sum of the values over [0, x] x [0, y].

// Turns a table holding each value at (x + 1, y + 1) into its summed-area table.
template <typename T>
void SumUpInPlace(std::vector<T>& t, size_t width, size_t height) {
  const size_t w = width + 1;
  for (size_t y = 1; y <= height; ++y)
    for (size_t x = 1; x <= width; ++x)
      t[y * w + x] = t[y * w + x] + t[(y - 1) * w + x] + t[y * w + x - 1] - t[(y - 1) * w + x - 1];
}

// The sum of the values over [x0, x1) x [y0, y1).
template <typename T>
T SumOver(const std::vector<T>& t, size_t width, size_t x0, size_t y0, size_t x1, size_t y1) {
  const size_t w = width + 1;
  return t[y1 * w + x1] - t[y0 * w + x1] - t[y1 * w + x0] + t[y0 * w + x0];
}

struct TCandidate {
  double Distance;
  uint32_t Tile;  // index into the tiles with a usable copy
};

// A tile's penalties, kept over the box of windows [X0, X1) x [Y0, Y1) (by their corners)
// where they may be above 0; none yet when the box is empty.
struct TTilePenalties {
  int32_t X0 = 0, Y0 = 0, X1 = 0, Y1 = 0;
  std::vector<float> Penalty, Step;  // per window of the box, row by row
  std::vector<double> Sum;           // summed-area table of Penalty, one row and column more
  double Total = 0;

  size_t Width() const { return size_t(X1 - X0); }
  size_t Windows() const { return size_t(X1 - X0) * size_t(Y1 - Y0); }

  // Makes [x0, x1) x [y0, y1), which holds the box, the box, keeping the penalties.
  void Widen(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    TTilePenalties wide;
    wide.X0 = x0;
    wide.Y0 = y0;
    wide.X1 = x1;
    wide.Y1 = y1;
    wide.Penalty.assign(wide.Windows(), 0);
    wide.Step.assign(wide.Windows(), 0);
    for (int32_t b = Y0; b < Y1; ++b)
      std::copy_n(Penalty.begin() + ptrdiff_t(size_t(b - Y0) * Width()), Width(),
                  wide.Penalty.begin() + ptrdiff_t(size_t(b - wide.Y0) * wide.Width() + size_t(X0 - wide.X0)));
    wide.Sum.assign((wide.Width() + 1) * (size_t(wide.Y1 - wide.Y0) + 1), 0);
    *this = std::move(wide);
    SumUp();
  }

  void SumUp() {
    const size_t w = Width() + 1, height = size_t(Y1 - Y0);
    Total = 0;
    for (size_t b = 0; b < height; ++b)
      for (size_t a = 0; a < Width(); ++a) {
        Sum[(b + 1) * w + a + 1] = double(Penalty[b * Width() + a]);
        Total += Sum[(b + 1) * w + a + 1];
      }
    SumUpInPlace(Sum, Width(), height);
  }
};

}  // namespace

TBoundResult OptimumLowerBound(const TQVData& library, const TQVData& plan, const TBoundSettings& s,
                               const std::function<bool(int, uint64_t)>& afterIteration) {
  if (!AnyOrientation(s.Orientations)) throw EQuivara(kNoOrientationMessage);
  if (s.Cols < 1 || s.Rows < 1 || int64_t(s.Cols) * s.Rows != plan.Count)
    throw EQuivara("A grid of " + std::to_string(s.Cols) + " x " + std::to_string(s.Rows) +
                   " cells does not fit a plan of " + std::to_string(plan.Count) + " cells");
  if (s.Distance < 1) throw EQuivara("The bound needs a Distance of 1 or more");
  if (plan.GridW != library.GridW || plan.GridH != library.GridH || plan.SigSize != library.SigSize)
    throw EQuivara("The library's signature grid does not fit the project's");
  const size_t cells = size_t(plan.Count);
  const size_t n = size_t(s.Threads > 0 ? s.Threads : int(std::max(1u, std::thread::hardware_concurrency())));

  // Distances are to each tile's closest allowed, not deleted copy; tiles without one are left
  // out.
  const int32_t n0 = library.UnflippedCount;
  const size_t sigSize = size_t(library.SigSize);
  std::vector<uint8_t> signatures((size_t(library.Count) + 1) * sigSize);
  std::vector<uint8_t> usable(size_t(library.Count) + 1, 0);
  for (int b = 0; b < 4; ++b) {
    if (!CopyBlockAllowed(library, s.Orientations, b)) continue;
    for (int32_t t = 1; t <= n0; ++t) {
      const int32_t r = b * n0 + t;
      if (library.RecordStatus(r) > kMaxUseCount) continue;
      usable[size_t(r)] = 1;
      std::copy_n(library.RecordSignature(r), sigSize, signatures.data() + size_t(r) * sigSize);
    }
  }
  std::vector<size_t> kept;  // the tiles with a usable copy
  for (int32_t t = 1; t <= n0; ++t)
    for (int b = 0; b < 4; ++b)
      if (b * n0 + t <= library.Count && usable[size_t(b * n0 + t)]) {
        kept.push_back(size_t(t));
        break;
      }
  if (kept.empty()) throw EQuivara("The library has no tile the rules allow");
  const size_t k = kept.size(), listed = std::min(k, kCandidates);
  // Per cell its `listed` closest tiles (index into kept), closest first, and what stands for
  // the others: the closest of them, or no value when every tile is listed.
  std::vector<TCandidate> candidates(cells * listed);
  std::vector<double> others(cells, std::numeric_limits<double>::infinity());
  OnThreads(n, [&](size_t from, size_t step) {
    std::vector<TCandidate> row(k);
    for (size_t c = from; c < cells; c += step) {
      const SignatureBytes target = CellTarget(library, plan, int32_t(c + 1));
      for (size_t i = 0; i < k; ++i) {
        uint64_t best = UINT64_MAX;
        for (int b = 0; b < 4; ++b) {
          const size_t r = size_t(b) * size_t(n0) + kept[i];
          if (r <= size_t(library.Count) && usable[r])
            best =
                std::min(best, SignatureDistanceInt(target.data(), signatures.data() + r * sigSize, library.SigSize));
        }
        row[i] = {double(best), uint32_t(i)};
      }
      const size_t sorted = std::min(k, listed + 1);
      std::partial_sort(row.begin(), row.begin() + ptrdiff_t(sorted), row.end(),
                        [](const TCandidate& a, const TCandidate& b) {
                          return a.Distance < b.Distance || (a.Distance == b.Distance && a.Tile < b.Tile);
                        });
      std::copy_n(row.begin(), listed, candidates.begin() + ptrdiff_t(c * listed));
      if (k > listed) others[c] = row[listed].Distance;
    }
  });

  // The windows: (Distance + 1) x (Distance + 1) cells at each place they fit in the grid (the
  // whole width or height where the grid is narrower), by the column and row of their corner.
  const int32_t p = s.Distance + 1, cols = s.Cols, rows = s.Rows;
  const int32_t across = std::max(1, cols - p + 1), down = std::max(1, rows - p + 1);
  // Penalties are kept for the tiles two cells have chosen at some step, over the windows
  // around the cells that chose them, as many as kMaxPenalties allows.
  std::vector<TTilePenalties> penalties(k);
  std::vector<size_t> active;
  size_t keptPenalties = 0;
  // The sum of tile t's penalties over the windows holding cell (x, y).
  auto charge = [&](const TTilePenalties& tp, int32_t x, int32_t y) {
    const int32_t a0 = std::clamp(x - p + 1, tp.X0, tp.X1) - tp.X0, a1 = std::clamp(x + 1, tp.X0, tp.X1) - tp.X0;
    const int32_t b0 = std::clamp(y - p + 1, tp.Y0, tp.Y1) - tp.Y0, b1 = std::clamp(y + 1, tp.Y0, tp.Y1) - tp.Y0;
    return SumOver(tp.Sum, tp.Width(), size_t(a0), size_t(b0), size_t(a1), size_t(b1));
  };

  TBoundResult result;
  double best = 0, theta = 1.0, bestAtCheck = 0;
  int sinceCheck = 0;
  std::vector<int32_t> choice(cells);
  std::vector<std::vector<int32_t>> chosen(k);
  std::vector<size_t> chosenTiles;
  std::vector<double> sums(n), norms(n);
  std::vector<std::vector<int32_t>> counts(n, std::vector<int32_t>(size_t(cols + 1) * size_t(rows + 1)));
  for (int it = 0; it < s.Iterations; ++it) {
    // Each cell's lowest charged distance and the tile that gives it (-1: one not listed).
    OnThreads(n, [&](size_t from, size_t step) {
      double sum = 0;
      for (size_t c = from; c < cells; c += step) {
        double lowest = others[c];
        int32_t which = -1;
        const int32_t x = int32_t(c % size_t(cols)), y = int32_t(c / size_t(cols));
        for (const TCandidate *k0 = candidates.data() + c * listed, *end = k0 + listed; k0 != end; ++k0) {
          if (k0->Distance >= lowest) break;
          const TTilePenalties& tp = penalties[k0->Tile];
          const double v = k0->Distance + (tp.Windows() ? charge(tp, x, y) : 0.0);
          if (v < lowest) {
            lowest = v;
            which = int32_t(k0->Tile);
          }
        }
        sum += lowest;
        choice[c] = which;
      }
      sums[from] = sum;
    });
    double bound = 0;
    for (double v : sums) bound += v;
    for (size_t t : active) bound -= penalties[t].Total;
    if (bound > best) best = bound;
    ++result.Iterations;
    // Rounded down, with a margin for the rounding of the sums of doubles.
    result.LowerBound = uint64_t(std::max(0.0, std::floor(best * (1 - 1e-12))));
    if (afterIteration && !afterIteration(result.Iterations, result.LowerBound)) break;
    if (++sinceCheck == kCheckEvery) {
      if (best <= bestAtCheck) theta /= 2;
      bestAtCheck = best;
      sinceCheck = 0;
    }

    // The cells each tile was chosen by; tiles chosen twice get penalties (while they fit).
    for (size_t t : chosenTiles) chosen[t].clear();
    chosenTiles.clear();
    for (size_t c = 0; c < cells; ++c) {
      if (choice[c] < 0) continue;
      std::vector<int32_t>& by = chosen[size_t(choice[c])];
      if (by.empty()) chosenTiles.push_back(size_t(choice[c]));
      by.push_back(int32_t(c));
    }
    for (size_t t : chosenTiles) {
      if (chosen[t].size() < 2) continue;
      int32_t x0 = across, y0 = down, x1 = 0, y1 = 0;
      for (int32_t c : chosen[t]) {
        const int32_t x = c % cols, y = c / cols;
        x0 = std::min(x0, std::max(0, x - p + 1));
        y0 = std::min(y0, std::max(0, y - p + 1));
        x1 = std::max(x1, std::min(x, across - 1) + 1);
        y1 = std::max(y1, std::min(y, down - 1) + 1);
      }
      TTilePenalties& tp = penalties[t];
      const size_t before = tp.Windows();
      if (before) {
        if (x0 >= tp.X0 && y0 >= tp.Y0 && x1 <= tp.X1 && y1 <= tp.Y1) continue;
        x0 = std::min(x0, tp.X0);
        y0 = std::min(y0, tp.Y0);
        x1 = std::max(x1, tp.X1);
        y1 = std::max(y1, tp.Y1);
      }
      const size_t after = size_t(x1 - x0) * size_t(y1 - y0);
      if (keptPenalties - before + after > kMaxPenalties) continue;
      if (!before) active.push_back(t);
      keptPenalties += after - before;
      tp.Widen(x0, y0, x1, y1);
    }

    // The step: per window the cells choosing the tile in it less one, left out where that
    // would take a penalty below 0.
    OnThreads(n, [&](size_t from, size_t step) {
      std::vector<int32_t>& count = counts[from];
      double norm = 0;
      for (size_t i = from; i < active.size(); i += step) {
        TTilePenalties& tp = penalties[active[i]];
        // The cells the box's windows cover, counted from (X0, Y0).
        const int32_t width = std::min(cols, tp.X1 - 1 + p) - tp.X0, height = std::min(rows, tp.Y1 - 1 + p) - tp.Y0;
        const size_t w = size_t(width) + 1;
        std::fill_n(count.begin(), w * (size_t(height) + 1), 0);
        for (int32_t c : chosen[active[i]]) {
          const int32_t x = c % cols - tp.X0, y = c / cols - tp.Y0;
          if (x >= 0 && x < width && y >= 0 && y < height) count[size_t(y + 1) * w + size_t(x + 1)] = 1;
        }
        SumUpInPlace(count, size_t(width), size_t(height));
        for (int32_t b = 0; b < tp.Y1 - tp.Y0; ++b) {
          const size_t y1 = size_t(std::min(rows - tp.Y0, b + p));
          for (int32_t a = 0; a < tp.X1 - tp.X0; ++a) {
            const size_t x1 = size_t(std::min(cols - tp.X0, a + p));
            const int32_t in = SumOver(count, size_t(width), size_t(a), size_t(b), x1, y1);
            const size_t at = size_t(b) * tp.Width() + size_t(a);
            const float g = in == 0 && tp.Penalty[at] <= 0 ? 0.0f : float(in - 1);
            tp.Step[at] = g;
            norm += double(g) * double(g);
          }
        }
      }
      norms[from] = norm;
    });
    double norm = 0;
    for (double v : norms) norm += v;
    if (norm == 0) break;  // no window holds a tile twice and no penalty is idle
    const double target = s.KnownTotal > best ? std::min(double(s.KnownTotal), best * 1.01) : best * 1.01;
    const double stepSize = theta * (target - bound) / norm;
    OnThreads(n, [&](size_t from, size_t step) {
      for (size_t i = from; i < active.size(); i += step) {
        TTilePenalties& tp = penalties[active[i]];
        for (size_t at = 0; at < tp.Windows(); ++at)
          tp.Penalty[at] = std::max(0.0f, tp.Penalty[at] + float(stepSize * double(tp.Step[at])));
        tp.SumUp();
      }
    });
  }
  return result;
}

}  // namespace qv
