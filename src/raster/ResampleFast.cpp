// The fast two-pass resampler. Each contributor list becomes a dense run of int16 weights
// over consecutive source indices (weights of indices that the edge mirroring repeats are
// added together, which leaves every integer sum unchanged), so a target pixel is a dot
// product of that run with the source row unpacked into one int16 plane per channel.
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <memory>
#include <utility>
#include <vector>

#include "raster/ResampleCore.h"
#include "raster/ResampleFilters.h"
#include "raster/ResampleKernels.h"

namespace qv {

namespace {

struct DenseList {
  int start = 0;   // first source index
  int span = 0;    // number of consecutive source indices
  int padded = 0;  // span rounded up to a multiple of kResampleDotBlock
  int32_t weightSum = 0;
  size_t offset = 0;  // of the first weight in DenseLists::weights
};

struct DenseLists {
  std::vector<DenseList> lists;
  std::vector<int16_t> weights;
  int lo = INT_MAX;  // source indices used: lo .. hi - 1
  int hi = 0;
  bool usable = false;  // false: the reference path must be taken
};

// False when a weight does not fit int16 or a sum of weight × 255 could overflow int32; the
// caller then takes the reference path.
bool MakeDense(const std::vector<ContributorList>& lists, DenseLists& dense) {
  std::vector<int32_t> run;
  dense.lists.resize(lists.size());
  for (size_t n = 0; n < lists.size(); ++n) {
    const ContributorList& list = lists[n];
    DenseList& d = dense.lists[n];
    if (list.empty()) continue;
    int lo = INT_MAX, hi = INT_MIN;
    for (const Contributor& c : list) {
      lo = std::min(lo, c.index);
      hi = std::max(hi, c.index);
    }
    d.start = lo;
    d.span = hi - lo + 1;
    d.padded = (d.span + kResampleDotBlock - 1) / kResampleDotBlock * kResampleDotBlock;
    d.offset = dense.weights.size();
    run.assign(d.span, 0);
    int64_t absSum = 0;
    for (const Contributor& c : list) {
      run[c.index - lo] += c.weight;
      d.weightSum += c.weight;
      absSum += std::abs(c.weight);
    }
    if (absSum * 255 > INT32_MAX) return false;
    for (int32_t w : run) {
      if (w < INT16_MIN || w > INT16_MAX) return false;
      dense.weights.push_back(int16_t(w));
    }
    dense.weights.resize(dense.weights.size() + (d.padded - d.span), 0);
    dense.lo = std::min(dense.lo, lo);
    dense.hi = std::max(dense.hi, hi + 1);
  }
  if (dense.lo > dense.hi) dense.lo = dense.hi = 0;  // every list empty
  for (DenseList& d : dense.lists)
    if (d.span == 0) d.start = dense.lo;
  return true;
}

// The dense lists of one direction. The program resamples the same shapes over and over
// (every thumbnail to the signature grid, every tile to the cell size), so each thread keeps
// the last few.
struct AxisKey {
  int srcSize, dstSize, filter;
  float radius;
  int first, count;
  bool operator==(const AxisKey&) const = default;
};

std::shared_ptr<const DenseLists> AxisLists(const AxisKey& key) {
  constexpr size_t kCached = 8;
  constexpr size_t kLargestCached = 1 << 20;  // weights
  thread_local std::vector<std::pair<AxisKey, std::shared_ptr<const DenseLists>>> cache;
  for (size_t i = 0; i < cache.size(); ++i)
    if (cache[i].first == key) {
      std::rotate(cache.begin(), cache.begin() + i, cache.begin() + i + 1);  // most recent first
      return cache.front().second;
    }
  auto dense = std::make_shared<DenseLists>();
  dense->usable =
      MakeDense(BuildContributors(key.srcSize, key.dstSize, key.filter, key.radius, key.first, key.count), *dense);
  if (dense->weights.size() <= kLargestCached) {
    if (cache.size() == kCached) cache.pop_back();
    cache.insert(cache.begin(), {key, dense});
  }
  return dense;
}

}  // namespace

void ResamplePixels(const PixelsIn& src, int dstWidth, int dstHeight, int filter, float radius, const Rect& window,
                    const PixelsOut& out) {
  const int channels = src.channels;
  const int winW = window.Width(), winH = window.Height();
  const auto columnLists = AxisLists({src.width, dstWidth, filter, radius, window.Left, winW});
  const auto rowLists = AxisLists({src.height, dstHeight, filter, radius, window.Top, winH});
  if (channels < 1 || channels > 4 || !columnLists->usable || !rowLists->usable) {
    ResamplePixelsReference(src, dstWidth, dstHeight, filter, radius, window, out);
    return;
  }
  const DenseLists& columns = *columnLists;
  const DenseLists& rows = *rowLists;
  const ResampleKernels& kernels = ResampleKernelChoice().Active();

  // Work buffers kept per thread: a run resamples tile after tile of the same shapes. Their
  // contents from an earlier call never reach a result (padding is read only where the
  // weights are 0 or the sums are dropped).
  struct Scratch {
    std::vector<uint8_t> inter;
    std::vector<int16_t> planes;
    std::vector<int32_t> acc, weightSums;
    std::vector<WeightRun> runs;
    std::vector<const uint8_t*> rowPtrs;
  };
  thread_local Scratch scratch;

  // Horizontal pass over the source rows that the window's rows use.
  const int rowLen = winW * channels;
  const ptrdiff_t interStride = rowLen + 32;  // vector loads may read past a row
  const int interRows = rows.hi - rows.lo;
  // An intermediate picture of more than a few megabytes (a whole photo) is not kept.
  constexpr size_t kKeptInterBytes = size_t(4) << 20;
  const size_t interBytes = static_cast<size_t>(std::max(interRows, 1)) * interStride;
  std::vector<uint8_t> large;
  std::vector<uint8_t>& inter = interBytes > kKeptInterBytes ? large : scratch.inter;
  inter.resize(interBytes);
  const int planeLen = columns.hi - columns.lo + 2 * kResampleDotBlock;
  scratch.planes.resize(static_cast<size_t>(planeLen) * channels);
  int16_t* planes[4];
  for (int ch = 0; ch < channels; ++ch) planes[ch] = scratch.planes.data() + static_cast<size_t>(ch) * planeLen;
  std::vector<int32_t>& acc = scratch.acc;
  std::vector<int32_t>& weightSums = scratch.weightSums;
  acc.resize(rowLen + 32);
  weightSums.resize(rowLen);
  std::vector<WeightRun>& runs = scratch.runs;
  runs.resize(winW);
  for (int x = 0; x < winW; ++x) {
    const DenseList& d = columns.lists[x];
    runs[x] = WeightRun{d.start - columns.lo, d.padded, columns.weights.data() + d.offset};
    for (int ch = 0; ch < channels; ++ch) weightSums[x * channels + ch] = d.weightSum;
  }
  for (int y = rows.lo; y < rows.hi; ++y) {
    kernels.deinterleave(src.data + y * src.stride + columns.lo * channels, columns.hi - columns.lo, channels, planes);
    kernels.dotRow(runs.data(), winW, planes, channels, acc.data());
    kernels.normalise(acc.data(), weightSums.data(), rowLen, inter.data() + (y - rows.lo) * interStride);
  }

  // Vertical pass: each window row is a weighted sum of intermediate rows.
  std::vector<const uint8_t*>& rowPtrs = scratch.rowPtrs;
  for (int y = 0; y < winH; ++y) {
    const DenseList& d = rows.lists[y];
    rowPtrs.resize(d.span);
    for (int k = 0; k < d.span; ++k) rowPtrs[k] = inter.data() + (d.start - rows.lo + k) * interStride;
    kernels.accumulateRows(rowPtrs.data(), rows.weights.data() + d.offset, d.span, rowLen, acc.data());
    kernels.normaliseBy(acc.data(), d.weightSum, rowLen, out.data + y * out.stride);
  }
}

}  // namespace qv
