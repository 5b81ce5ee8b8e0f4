#include "engine/TileSearch.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "engine/QVData.h"

namespace qv {
namespace {

constexpr size_t kAlign = 32;

uint8_t* Aligned(std::vector<uint8_t>& store, size_t bytes) {
  store.assign(bytes + kAlign, 0);
  auto p = reinterpret_cast<uintptr_t>(store.data());
  return store.data() + ((kAlign - p % kAlign) % kAlign);
}

}  // namespace

int32_t QuadrantSums(const uint8_t* sig, int32_t gridW, int32_t gridH, int32_t out[12]) {
  int32_t cells[4] = {0, 0, 0, 0};
  std::fill(out, out + 12, 0);
  const int32_t halfW = (gridW + 1) / 2, halfH = (gridH + 1) / 2;
  for (int32_t y = 0; y < gridH; ++y)
    for (int32_t x = 0; x < gridW; ++x) {
      const int q = (y < halfH ? 0 : 2) + (x < halfW ? 0 : 1);
      ++cells[q];
      for (int ch = 0; ch < 3; ++ch) out[q * 3 + ch] += sig[(y * gridW + x) * 3 + ch];
    }
  return std::max(std::max(cells[0], cells[1]), std::max(cells[2], cells[3]));
}

namespace {

// Two sums as int16 halves of a word, the first in the low half.
uint32_t Pair(int32_t first, int32_t second) { return uint32_t(uint16_t(first)) | uint32_t(uint16_t(second)) << 16; }

}  // namespace

int32_t BoundLimit(uint64_t best, int32_t cells) {
  const int64_t limit = (int64_t(best) - 1) * cells;
  return limit > INT32_MAX ? INT32_MAX : int32_t(limit);
}

bool TSignaturePack::IsCurrentFor(const TQVData& t) const {
  return version_ == t.DataSection.Version() && count_ == t.Count && sigSize_ == t.SigSize;
}

void TSignaturePack::Build(const TQVData& t) {
  count_ = -1;  // stays invalid should anything below fail
  const int32_t count = t.Count, sigSize = t.SigSize;
  stride_ = static_cast<int32_t>((sigSize + kAlign - 1) / kAlign * kAlign);
  sigs_ = Aligned(sigStore_, size_t(count) * size_t(stride_));
  status_.assign(size_t(count), 0);
  // The sums fit int16 only for grids small enough for the bound.
  const bool bound = sigSize / 3 <= kMaxBoundCells;
  for (auto& p : quadPairs_) p.assign(bound ? size_t(count) : 0, 0);
  for (int32_t n = 1; n <= count; ++n) {
    status_[size_t(n - 1)] = t.RecordStatus(n);
    const uint8_t* sig = t.RecordSignature(n);
    std::memcpy(sigs_ + size_t(n - 1) * size_t(stride_), sig, size_t(sigSize));
    if (!bound) continue;
    int32_t sums[12];
    quadCells_ = QuadrantSums(sig, t.GridW, t.GridH, sums);
    for (int j = 0; j < kQuadPairs; ++j) quadPairs_[j][size_t(n - 1)] = Pair(sums[2 * j], sums[2 * j + 1]);
  }
  gridW_ = t.GridW;
  gridH_ = t.GridH;
  target_ = Aligned(targetStore_, size_t(stride_));
  sigSize_ = sigSize;
  version_ = t.DataSection.Version();
  count_ = count;
}

void TSignaturePack::TargetQuadPairs(const uint8_t* target, uint32_t out[kQuadPairs]) const {
  int32_t sums[12];
  QuadrantSums(target, gridW_, gridH_, sums);
  for (int j = 0; j < kQuadPairs; ++j) out[j] = Pair(sums[2 * j], sums[2 * j + 1]);
}

void TSignaturePack::MarkCurrent(const TQVData& t) { version_ = t.DataSection.Version(); }

const uint8_t* TSignaturePack::PadTarget(const uint8_t* target) {
  std::memcpy(target_, target, size_t(sigSize_));
  std::memset(target_ + sigSize_, 0, size_t(stride_ - sigSize_));
  return target_;
}

// The bound of record i: the sum of the squared differences of its quadrant sums.
int64_t QuadBound(const TScanRequest& r, int32_t i) {
  int64_t x = 0;
  for (int j = 0; j < kQuadPairs; ++j) {
    const uint32_t a = r.QuadPairs[j][i], b = r.TargetPairs[j];
    const int64_t lo = int64_t(int16_t(a & 0xFFFF)) - int16_t(b & 0xFFFF);
    const int64_t hi = int64_t(int16_t(a >> 16)) - int16_t(b >> 16);
    x += lo * lo + hi * hi;
  }
  return x;
}

namespace {

// The kernel that defines the result of the vector kernels: the bound, then the sum of
// squared differences in 32-byte steps, compared with best after every step but the last
// when cutting off.
int32_t ScanPortable(const TScanRequest& r, int32_t from, uint64_t best, uint64_t* distance, TScanCounters& counters) {
  const int32_t steps = r.Stride / 32;
  const int64_t limit = BoundLimit(best, r.QuadCells);
  for (int32_t i = from; i < r.Last; ++i) {
    if (r.Statuses[i] > r.MaxStatus) continue;
    ++counters.Candidates;
    if (r.QuadPairs[0] && QuadBound(r, i) > limit) continue;
    ++counters.Evaluations;
    const uint8_t* s = r.Signatures + size_t(i) * size_t(r.Stride);
    uint64_t sum = 0;
    int32_t step = 0;
    for (; step < steps; ++step) {
      for (int k = step * 32; k < step * 32 + 32; ++k) {
        const int d = int(s[k]) - int(r.Target[k]);
        sum += uint32_t(d * d);
      }
      if (r.CutOff && step + 1 < steps && sum >= best) break;
    }
    if (step < steps) continue;  // cut off: it cannot come below best
    ++counters.Completed;
    if (sum < best) {
      *distance = sum;
      return i;
    }
  }
  return r.Last;
}

const TileSearchKernels kPortable{"portable", ScanPortable};

}  // namespace

KernelChoice<TileSearchKernels>& TileSearchKernelChoice() {
  static KernelChoice<TileSearchKernels> choice(kPortable, {Avx2TileSearchKernels});
  return choice;
}

}  // namespace qv
