#pragma once
// The render search's view of a library: every record's signature copied into one aligned
// array, each padded with zeros to a multiple of 32 bytes, and the status bytes in a second
// array; and the kernels that scan it for records closer to a target than the best so far.
//
// The pack belongs to one TQVData and remembers the version of the data section it was made
// from, so any change of the section (placement, flips, status writes, reading a file) makes
// it stale and the next search rebuilds it. A search that writes statuses itself updates the
// pack alongside and marks it current again.
#include <cstdint>
#include <memory>
#include <vector>

namespace qv {

class TQVData;

class TSignaturePack {
 public:
  bool IsCurrentFor(const TQVData& t) const;
  void Build(const TQVData& t);
  // After the owner wrote statuses through both the section and the pack.
  void MarkCurrent(const TQVData& t);

  int32_t Count() const { return count_; }
  int32_t Stride() const { return stride_; }
  const uint8_t* Signatures() const { return sigs_; }
  uint8_t* Statuses() { return status_.data(); }
  const uint8_t* Statuses() const { return status_.data(); }
  // A zero-padded, aligned copy of a target signature of SigSize bytes.
  const uint8_t* PadTarget(const uint8_t* target);

 private:
  uint64_t version_ = 0;
  int32_t count_ = -1;
  int32_t sigSize_ = 0;
  int32_t stride_ = 0;
  std::vector<uint8_t> sigStore_;  // over-allocated so that sigs_ can be aligned
  uint8_t* sigs_ = nullptr;
  std::vector<uint8_t> status_;
  std::vector<uint8_t> targetStore_;
  uint8_t* target_ = nullptr;
};

// A scan over records [First, Last) of a pack (0-based), all of one block.
struct TScanRequest {
  const uint8_t* Target = nullptr;  // Stride bytes, aligned to 32, zero padded
  const uint8_t* Signatures = nullptr;
  const uint8_t* Statuses = nullptr;
  int32_t Stride = 0;  // a multiple of 32
  int32_t First = 0;
  int32_t Last = 0;
  uint8_t MaxStatus = 0;  // records with a higher status are passed over
  bool CutOff = true;
};

struct TScanCounters {
  uint64_t Evaluations = 0;
  uint64_t Completed = 0;
};

// Returns the first record index i in [from, Last) whose status is at most MaxStatus and
// whose distance to the target is strictly below best (the distance in *distance), or Last.
// With CutOff a record is left as soon as its partial sum reaches best.
using TScanKernel = int32_t (*)(const TScanRequest& r, int32_t from, uint64_t best, uint64_t* distance,
                                TScanCounters& counters);

int32_t ScanPackPortable(const TScanRequest& r, int32_t from, uint64_t best, uint64_t* distance,
                         TScanCounters& counters);
// nullptr when the processor lacks AVX2.
TScanKernel ScanPackAvx2Kernel();

}  // namespace qv
