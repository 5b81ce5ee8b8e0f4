#include "engine/OptimumBound.h"

#include <algorithm>
#include <cmath>
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

constexpr uint64_t kMaxPairs = uint64_t(1) << 28;

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
  const size_t cells = size_t(plan.Count), tiles = size_t(std::max(0, library.UnflippedCount));
  if (uint64_t(cells) * uint64_t(tiles) > kMaxPairs)
    throw EQuivara("Too many cells and tiles for the bound: " + std::to_string(cells) + " x " + std::to_string(tiles) +
                   " distances, at most 2^28");
  const size_t n = size_t(s.Threads > 0 ? s.Threads : int(std::max(1u, std::thread::hardware_concurrency())));

  // table[t x cells + c]: cell c's distance to tile t in its best allowed orientation; tiles
  // without one (all their copies deleted or not allowed) are left out.
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
  const size_t k = kept.size();
  std::vector<uint32_t> table(k * cells);
  std::vector<double> price(cells);
  // Prices to start from: each cell's median distance to its (Distance + 1)^2 closest tiles.
  const size_t rank = std::min(k - 1, size_t(s.Distance + 1) * size_t(s.Distance + 1) / 2);
  OnThreads(n, [&](size_t from, size_t step) {
    std::vector<uint32_t> row(k);
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
        row[i] = uint32_t(std::min<uint64_t>(best, UINT32_MAX));
        table[i * cells + c] = row[i];
      }
      std::nth_element(row.begin(), row.begin() + ptrdiff_t(rank), row.end());
      price[c] = double(row[rank]);
    }
  });

  // Bands of p columns, the dynamic program along the rows of each.
  const int32_t p = s.Distance + 1, cols = s.Cols, rows = s.Rows;
  const int32_t bands = (cols + p - 1) / p;
  TBoundResult result;
  double best = 0, mu = 2.0;
  int sinceBest = 0;
  std::vector<std::vector<int32_t>> covers(n, std::vector<int32_t>(cells));
  std::vector<double> parts(n);
  for (int it = 0; it < s.Iterations; ++it) {
    OnThreads(n, [&](size_t from, size_t step) {
      std::vector<int32_t>& cover = covers[from];
      std::fill(cover.begin(), cover.end(), 0);
      const size_t height = static_cast<size_t>(rows);
      std::vector<double> weight(height), f(height + 1);
      std::vector<int32_t> at(height);
      std::vector<uint8_t> take(height);
      double part = 0;
      for (size_t i = from; i < k; i += step) {
        const uint32_t* d = table.data() + i * cells;
        for (int32_t b = 0; b < bands; ++b) {
          const int32_t x0 = b * p, x1 = std::min(cols, x0 + p);
          // Per row the band's cell that gains most from the tile, then the rows to stand in.
          for (int32_t y = 0; y < rows; ++y) {
            double w = 0;
            int32_t where = -1;
            for (int32_t x = x0; x < x1; ++x) {
              const size_t c = size_t(y) * size_t(cols) + size_t(x);
              const double g = price[c] - double(d[c]);
              if (g > w) {
                w = g;
                where = int32_t(c);
              }
            }
            weight[size_t(y)] = w;
            at[size_t(y)] = where;
          }
          f[0] = 0;
          for (int32_t y = 0; y < rows; ++y) {
            const double with = f[size_t(std::max(0, y + 1 - p))] + weight[size_t(y)];
            take[size_t(y)] = weight[size_t(y)] > 0 && with > f[size_t(y)];
            f[size_t(y) + 1] = take[size_t(y)] ? with : f[size_t(y)];
          }
          part += f[size_t(rows)];
          for (int32_t y = rows - 1; y >= 0;)
            if (take[size_t(y)]) {
              ++cover[size_t(at[size_t(y)])];
              y -= p;
            } else {
              --y;
            }
        }
      }
      parts[from] = part;
    });
    double bound = 0;
    for (size_t c = 0; c < cells; ++c) bound += price[c];
    for (double part : parts) bound -= part;
    if (bound > best) {
      best = bound;
      sinceBest = 0;
    } else if (++sinceBest >= 4) {
      mu /= 2;
      sinceBest = 0;
    }
    ++result.Iterations;
    // Rounded down, with a margin for the rounding of the sums of doubles.
    result.LowerBound = uint64_t(std::max(0.0, std::floor(best * (1 - 1e-12))));
    if (afterIteration && !afterIteration(result.Iterations, result.LowerBound)) break;
    double norm = 0;
    std::vector<int32_t> gap(cells, 1);
    for (size_t c = 0; c < cells; ++c) {
      for (const std::vector<int32_t>& cover : covers) gap[c] -= cover[c];
      norm += double(gap[c]) * double(gap[c]);
    }
    if (norm == 0) break;  // every cell covered once: the bound is reached by a mosaic
    const double target = std::max(double(s.KnownTotal), bound * 1.01);
    const double stepSize = mu * (target - bound) / norm;
    for (size_t c = 0; c < cells; ++c) price[c] += stepSize * double(gap[c]);
  }
  return result;
}

}  // namespace qv
