// TQVData: the searches for the tile of one cell, the candidate lists and the use counts.
//
// Records are visited block by block in storage order (unflipped tiles, then the allowed
// copy blocks); a record is taken only when its distance is strictly below the best so far
// and its tile stands nowhere in the cell's Distance square, so among equal distances the
// lowest record wins. The plain scan reads the data section record by record; the packed
// scan (the default) gives the same choice from an aligned copy of the signatures, passing
// over records whose quadrant colour sums alone put them at or beyond the best so far and
// leaving a record as soon as its partial distance reaches the best so far (TileSearch.h).
#include <algorithm>

#include "base/Errors.h"
#include "engine/QVData.h"
#include "engine/TileSearch.h"

namespace qv {
namespace {

const char kOutOfTiles[] =
    "Quivara run out of tiles:\rThere is not enough tiles to complete the mosaic.\rPlease change Distance or Repeat "
    "values\ror add more tiles in the library";

// A search starts from this best distance; a candidate must come strictly below it.
constexpr uint64_t kNoDistance = 999999999;

// The cells within Distance of (col, row), the cell itself included, clipped to the grid
// (no wrapping into the next row).
class DistanceSquare {
 public:
  DistanceSquare(const std::vector<int32_t>& used, int32_t distance, int32_t cols, int32_t rows, int32_t col,
                 int32_t row)
      : used_(used.data()), cols_(cols) {
    colLo_ = static_cast<int32_t>(std::max<int64_t>(0, int64_t(col) - distance));
    colHi_ = static_cast<int32_t>(std::min<int64_t>(cols - 1, int64_t(col) + distance));
    rowLo_ = static_cast<int32_t>(std::max<int64_t>(0, int64_t(row) - distance));
    rowHi_ = static_cast<int32_t>(std::min<int64_t>(rows - 1, int64_t(row) + distance));
  }
  // True when tile stands in one of the square's cells.
  bool Holds(int32_t tile) const {
    for (int32_t r = rowLo_; r <= rowHi_; ++r) {
      const int32_t* line = used_ + size_t(r) * size_t(cols_);
      for (int32_t c = colLo_; c <= colHi_; ++c)
        if (line[c] == tile) return true;
    }
    return false;
  }

 private:
  const int32_t* used_;
  int32_t cols_, colLo_, colHi_, rowLo_, rowHi_;
};

void CheckCell(const std::vector<int32_t>& usedTiles, int32_t cols, int32_t rows, int32_t col, int32_t row) {
  if (cols < 1 || rows < 1 || col < 0 || col >= cols || row < 0 || row >= rows ||
      int64_t(usedTiles.size()) < int64_t(cols) * rows)
    throw EQuivara("Cell " + std::to_string(col) + ", " + std::to_string(row) + " is not in a grid of " +
                   std::to_string(cols) + " x " + std::to_string(rows) + " cells with " +
                   std::to_string(usedTiles.size()) + " used-tile entries");
}

// The plan's current signature as the library compares it.
SignatureBytes TargetFor(const TQVData& lib, const TQVData& plan) {
  if (plan.GridW != lib.GridW || plan.GridH != lib.GridH || plan.Signature.size() != size_t(lib.SigSize))
    throw EQuivara("The library's signature grid does not fit the project's");
  if (lib.ColorSystem != plan.ColorSystem) return ConvertRgbToYcc(plan.Signature.data(), lib.SigSize);
  return plan.Signature;
}

}  // namespace

bool TQVData::BlockAllowed(int block, const TOrientationSet& orientations) const {
  if (UnflippedCount < 1 || int64_t(block + 1) * UnflippedCount > Count) return false;
  if (block == 0) return orientations[0];
  const uint8_t kind = FlipKinds[block - 1];
  return kind >= kFlipHorizontal && kind <= kFlipVertical && orientations[kind];
}

int32_t TQVData::FindTileForCell(const TQVData& plan, std::vector<int32_t>& usedTiles,
                                 const TOrientationSet& orientations, int32_t repeatLimit, int32_t distance,
                                 int32_t cols, int32_t rows, int32_t col, int32_t row, bool& newTile) {
  CheckCell(usedTiles, cols, rows, col, row);
  const SignatureBytes target = TargetFor(*this, plan);
  const DistanceSquare square(usedTiles, distance, cols, rows, col, row);
  newTile = true;
  ++SearchStats.Searches;
  // A record marked deleted is never chosen, whatever the Repeat limit.
  const uint8_t maxStatus = repeatLimit < 0 ? kMaxUseCount : uint8_t(std::min<int32_t>(repeatLimit, kMaxUseCount));
  const int32_t n0 = UnflippedCount;
  int32_t chosen = 0;

  if (SearchOptions.Packed) {
    if (!searchPack_) searchPack_ = std::make_shared<TSignaturePack>();
    TSignaturePack& pack = *searchPack_;
    if (!pack.IsCurrentFor(*this)) pack.Build(*this);
    const auto scan = TileSearchKernelChoice().Active().scan;
    TScanRequest req;
    req.Target = pack.PadTarget(target.data());
    req.Signatures = pack.Signatures();
    req.Statuses = pack.Statuses();
    req.Stride = pack.Stride();
    req.MaxStatus = maxStatus;
    req.CutOff = SearchOptions.CutOff;
    if (SearchOptions.Bound && pack.QuadPairs(0)) {
      for (int j = 0; j < kQuadPairs; ++j) req.QuadPairs[j] = pack.QuadPairs(j);
      pack.TargetQuadPairs(target.data(), req.TargetPairs);
      req.QuadCells = pack.QuadCells();
    }
    TScanCounters counters;
    uint64_t best = kNoDistance;
    for (int b = 0; b < 4; ++b) {
      if (!BlockAllowed(b, orientations)) continue;
      req.First = b * n0;
      req.Last = req.First + n0;
      for (int32_t i = req.First;; ++i) {
        uint64_t d = 0;
        i = scan(req, i, best, &d, counters);
        if (i >= req.Last) break;
        if (square.Holds(i - req.First + 1)) continue;
        best = d;
        chosen = i + 1;
      }
    }
    SearchStats.Candidates += counters.Candidates;
    SearchStats.Evaluations += counters.Evaluations;
    SearchStats.Completed += counters.Completed;
  } else {
    double best = double(kNoDistance);
    for (int b = 0; b < 4; ++b) {
      if (!BlockAllowed(b, orientations)) continue;
      for (int32_t n = b * n0 + 1; n <= (b + 1) * n0; ++n) {
        const uint8_t s = RecordStatus(n);
        if (s > maxStatus) continue;
        ++SearchStats.Candidates;
        const double d = SignatureDistance(target.data(), RecordSignature(n), SigSize);
        ++SearchStats.Evaluations;
        ++SearchStats.Completed;
        if (d < best && !square.Holds(TileNumberOf(n))) {
          best = d;
          chosen = n;
        }
      }
    }
  }
  if (chosen == 0) throw EOutOfTiles(kOutOfTiles);

  const int32_t tile = TileNumberOf(chosen);
  usedTiles[size_t(row) * size_t(cols) + size_t(col)] = tile;
  // Every allowed copy of the tile carries the same count; a count stops at 250 and a
  // deleted mark stays.
  TSignaturePack* pack = searchPack_ && searchPack_->IsCurrentFor(*this) ? searchPack_.get() : nullptr;
  for (int b = 0; b < 4; ++b) {
    if (!BlockAllowed(b, orientations)) continue;
    const int32_t n = b * n0 + tile;
    uint8_t s = RecordStatus(n);
    if (s > 0) newTile = false;
    if (s < kMaxUseCount) {
      ++s;
      SetRecordStatus(n, s);
      if (pack) pack->Statuses()[n - 1] = s;
    }
  }
  if (pack) pack->MarkCurrent(*this);
  GoRecord(chosen);
  return chosen;
}

void TQVData::ListCandidates(const TQVData& plan, const std::vector<int32_t>& usedTiles,
                             const TOrientationSet& orientations, int32_t keep, int32_t distance, int32_t cols,
                             int32_t rows, int32_t col, int32_t row) {
  CheckCell(usedTiles, cols, rows, col, row);
  const SignatureBytes target = TargetFor(*this, plan);
  const DistanceSquare square(usedTiles, distance, cols, rows, col, row);
  BeginOrder(8);
  for (int b = 0; b < 4; ++b) {
    if (!BlockAllowed(b, orientations)) continue;
    for (int32_t n = b * UnflippedCount + 1; n <= (b + 1) * UnflippedCount; ++n) {
      if (square.Holds(TileNumberOf(n))) continue;
      AppendOrderEntry(static_cast<int32_t>(SlotOffset(n)),
                       SignatureDistance(target.data(), RecordSignature(n), SigSize));
    }
  }
  SortOrder(false, std::max(keep, 0));
  Go(1);
}

void TQVData::ResetUseCounts() {
  if (!SectionsHoldTable()) return;
  TSignaturePack* pack = searchPack_ && searchPack_->IsCurrentFor(*this) ? searchPack_.get() : nullptr;
  for (int32_t n = 1; n <= Count; ++n) {
    const uint8_t s = RecordStatus(n);
    if (s < 1 || s > kMaxUseCount) continue;
    SetRecordStatus(n, 0);
    if (pack) pack->Statuses()[n - 1] = 0;
  }
  if (pack) pack->MarkCurrent(*this);
}

}  // namespace qv
