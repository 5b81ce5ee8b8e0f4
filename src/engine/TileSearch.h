#pragma once
// The render search's view of a library: every record's signature copied into one aligned
// array, each padded with zeros to a multiple of 32 bytes; the status bytes in a second
// array; and each record's quadrant sums in six more. And the kernels that scan it for the
// first record closer to a target than the best so far.
//
// The quadrant sums give a lower bound of the distance without reading the signature. The
// grid is cut into four quadrants; for each quadrant and channel (12 in all) the sum of the
// bytes is kept. Over n cells the sum of squared differences is at least (sum difference)²
// / n (Cauchy-Schwarz), so the distance is at least the sum of the 12 squared sum
// differences divided by the largest quadrant's cells. A record whose bound is not below the
// best so far cannot be taken and is passed over. The sums are int16 pairs, two to a 32-bit
// word, so a vector multiply-add squares and adds two sums of eight records at once.
//
// The pack belongs to one TQVData and remembers the version of the data section it was made
// from, so any change of the section (placement, flips, status writes, reading a file) makes
// it stale and the next search rebuilds it. A search that writes statuses itself updates the
// pack alongside and marks it current again.
#include <cstdint>
#include <memory>
#include <vector>

#include "base/KernelChoice.h"

namespace qv {

class TQVData;

// Grids of at most this many cells have bounds that 16- and 32-bit arithmetic computes
// exactly (3 x (104 x 255)² < 2^31).
constexpr int32_t kMaxBoundCells = 104;
constexpr int kQuadPairs = 6;  // 12 quadrant sums, two to a word

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
  // Pair j of every record's quadrant sums; empty for grids above kMaxBoundCells cells.
  const uint32_t* QuadPairs(int j) const { return quadPairs_[j].empty() ? nullptr : quadPairs_[j].data(); }
  int32_t QuadCells() const { return quadCells_; }
  // A zero-padded, aligned copy of a target signature of SigSize bytes.
  const uint8_t* PadTarget(const uint8_t* target);
  // The target's quadrant sums as pairs.
  void TargetQuadPairs(const uint8_t* target, uint32_t out[kQuadPairs]) const;

 private:
  uint64_t version_ = 0;
  int32_t count_ = -1;
  int32_t sigSize_ = 0;
  int32_t stride_ = 0;
  std::vector<uint8_t> sigStore_;  // over-allocated so that sigs_ can be aligned
  uint8_t* sigs_ = nullptr;
  std::vector<uint8_t> status_;
  int32_t gridW_ = 0;
  int32_t gridH_ = 0;
  std::vector<uint32_t> quadPairs_[kQuadPairs];
  int32_t quadCells_ = 0;
  std::vector<uint8_t> targetStore_;
  uint8_t* target_ = nullptr;
};

// The channel sums over each quadrant of a gridW x gridH signature: out[q x 3 + channel],
// quadrants left-top, right-top, left-bottom, right-bottom (the left and top halves take the
// middle column and row of an odd grid). Returns the largest quadrant's number of cells.
int32_t QuadrantSums(const uint8_t* sig, int32_t gridW, int32_t gridH, int32_t out[12]);

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
  // The bound: the records' quadrant sum pairs, or nullptr for none, the target's, and the
  // largest quadrant's cells.
  const uint32_t* QuadPairs[kQuadPairs] = {};
  uint32_t TargetPairs[kQuadPairs] = {};
  int32_t QuadCells = 0;
};

// The bound of record i: the sum of the squared differences of its quadrant sums and the
// target's (QuadPairs must be set).
int64_t QuadBound(const TScanRequest& r, int32_t i);

struct TScanCounters {
  uint64_t Candidates = 0;
  uint64_t Evaluations = 0;
  uint64_t Completed = 0;
};

// Returns the first record index i in [from, Last) whose status is at most MaxStatus and
// whose distance to the target is strictly below best (the distance in *distance), or Last.
// With CutOff a record is left as soon as its partial sum reaches best.
// The portable scan defines the result: the vector ones must return the same record and
// distance (their counters may differ where they cut off at other points).
struct TileSearchKernels {
  const char* name;
  int32_t (*scan)(const TScanRequest& r, int32_t from, uint64_t best, uint64_t* distance, TScanCounters& counters);
};

// The portable set, the AVX2 set when the processor has it, and the one in use.
KernelChoice<TileSearchKernels>& TileSearchKernelChoice();
// The AVX2 scan, or nullptr when the processor lacks AVX2 (a probe of the choice).
const TileSearchKernels* Avx2TileSearchKernels();

// The largest bound sum that still lets a record come below best: (best - 1) x cells, capped
// to what 32 bits hold. A record whose sum of squared quadrant-sum differences exceeds it is
// passed over.
int32_t BoundLimit(uint64_t best, int32_t cells);

}  // namespace qv
