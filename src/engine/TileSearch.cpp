#include "engine/TileSearch.h"

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

bool TSignaturePack::IsCurrentFor(const TQVData& t) const {
  return version_ == t.DataSection.Version() && count_ == t.Count && sigSize_ == t.SigSize;
}

void TSignaturePack::Build(const TQVData& t) {
  count_ = -1;  // stays invalid should anything below fail
  const int32_t count = t.Count, sigSize = t.SigSize;
  stride_ = static_cast<int32_t>((sigSize + kAlign - 1) / kAlign * kAlign);
  sigs_ = Aligned(sigStore_, size_t(count) * size_t(stride_));
  status_.assign(size_t(count), 0);
  for (int32_t n = 1; n <= count; ++n) {
    status_[size_t(n - 1)] = t.RecordStatus(n);
    std::memcpy(sigs_ + size_t(n - 1) * size_t(stride_), t.RecordSignature(n), size_t(sigSize));
  }
  target_ = Aligned(targetStore_, size_t(stride_));
  sigSize_ = sigSize;
  version_ = t.DataSection.Version();
  count_ = count;
}

void TSignaturePack::MarkCurrent(const TQVData& t) { version_ = t.DataSection.Version(); }

const uint8_t* TSignaturePack::PadTarget(const uint8_t* target) {
  std::memcpy(target_, target, size_t(sigSize_));
  std::memset(target_ + sigSize_, 0, size_t(stride_ - sigSize_));
  return target_;
}

// The kernel that defines the result of the vector kernels: the sum of squared differences
// in 32-byte steps, compared with best after every step but the last when cutting off.
int32_t ScanPackPortable(const TScanRequest& r, int32_t from, uint64_t best, uint64_t* distance,
                         TScanCounters& counters) {
  const int32_t steps = r.Stride / 32;
  for (int32_t i = from; i < r.Last; ++i) {
    if (r.Statuses[i] > r.MaxStatus) continue;
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

}  // namespace qv
