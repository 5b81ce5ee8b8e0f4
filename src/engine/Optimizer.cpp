#include "engine/Optimizer.h"

#include <algorithm>
#include <cmath>

#include "engine/MosaicQuality.h"

namespace qv::optimizer {
namespace {

// Moves each cell of a signature toward the signature's mean colour, channel by channel, so
// that between two signatures so changed the squared distance of their mean colours keeps its
// weight and that of their patterns (the differences from the means) falls by the factor
// weight: the sum of squares parts into n x (mean difference)^2 plus the pattern's part.
void WeighMeanColour(uint8_t* signature, size_t size, double weight) {
  const size_t cells = size / 3;
  if (cells == 0) return;
  const double shrink = 1.0 / std::sqrt(weight);
  for (size_t ch = 0; ch < 3; ++ch) {
    double sum = 0;
    for (size_t i = 0; i < cells; ++i) sum += signature[i * 3 + ch];
    const double mean = sum / double(cells);
    for (size_t i = 0; i < cells; ++i) {
      uint8_t& v = signature[i * 3 + ch];
      v = uint8_t(std::clamp(std::lround(mean + (double(v) - mean) * shrink), 0L, 255L));
    }
  }
}

}  // namespace

Optimizer::Optimizer(const TQVData& lib, const TQVData& plan, const TQVData& mosaic, const TOptimizeSettings& s)
    : lib_(lib), s_(s), cols_(s.Rules.Cols), rows_(s.Rules.Rows), n0_(lib.UnflippedCount) {
  const int32_t cells = cols_ * rows_;
  for (int b = 0; b < 4; ++b) blocks_[b] = CopyBlockAllowed(lib, s.Rules.Orientations, b);
  // The library's signatures and deleted marks, read once: the candidate lists compare every
  // cell with every record.
  const size_t sigSize = size_t(lib.SigSize);
  signatures_.resize(size_t(lib.Count + 1) * sigSize);
  deleted_.assign(size_t(lib.Count) + 1, 1);
  for (int32_t n = 1; n <= lib.Count; ++n) {
    std::copy_n(lib.RecordSignature(n), sigSize, signatures_.data() + size_t(n) * sigSize);
    deleted_[size_t(n)] = lib.RecordStatus(n) > kMaxUseCount;
  }
  targets_.resize(size_t(cells));
  for (int32_t n = 1; n <= cells; ++n) targets_[size_t(n - 1)] = CellTarget(lib, plan, n);
  if (s.ColourWeight > 0 && s.ColourWeight != 1) {
    for (int32_t n = 1; n <= lib.Count; ++n)
      WeighMeanColour(signatures_.data() + size_t(n) * sigSize, sigSize, s.ColourWeight);
    for (SignatureBytes& target : targets_) WeighMeanColour(target.data(), sigSize, s.ColourWeight);
  }
  tile_.assign(size_t(cells), 0);
  record_.assign(size_t(cells), 0);
  cost_.assign(size_t(cells), 0);
  movable_.assign(size_t(cells), 0);
  uses_.assign(size_t(n0_) + 1, 0);
  holders_.resize(size_t(n0_) + 1);

  TCellRect sel = s.Rules.Selection;
  sel.Left = std::clamp(sel.Left, 0, cols_ - 1);
  sel.Right = std::clamp(sel.Right, 0, cols_ - 1);
  sel.Top = std::clamp(sel.Top, 0, rows_ - 1);
  sel.Bottom = std::clamp(sel.Bottom, 0, rows_ - 1);
  const bool wholeGrid = sel.Left == sel.Right && sel.Top == sel.Bottom;
  const bool invert = !wholeGrid && s.Rules.InvertSelection;
  for (int32_t c = 0; c < cells; ++c) {
    const int32_t id = mosaic.RecordTileNo(c + 1);
    tile_[size_t(c)] = id > 0 ? id : 0;
    const bool inArea = wholeGrid || (sel.Contains(c % cols_, c / cols_) != invert);
    // Only library tiles move; "Fix auto" keeps every one of them.
    if (!inArea || s.Rules.FixAuto || id <= 0 || id > n0_) continue;
    movable_[size_t(c)] = 1;
    cells_.push_back(c);
    record_[size_t(c)] = RecordShownInCell(lib_, mosaic, c + 1, id);
    cost_[size_t(c)] = Distance(c, record_[size_t(c)]);
    ++uses_[size_t(id)];
    holders_[size_t(id)].push_back(c);
  }
  startRecord_ = record_;
}

std::string Optimizer::RuleFault() const {
  const int32_t repeat = s_.Rules.Repeat;
  for (int32_t t = 1; t <= n0_; ++t)
    if (repeat > 0 && uses_[size_t(t)] > repeat)
      return "Tile " + std::to_string(t) + " is used " + std::to_string(uses_[size_t(t)]) +
             " times, more than Repeat " + std::to_string(repeat) + " allows.";
  for (int32_t c : cells_)
    if (CountInSquare(c, tile_[size_t(c)]) > 1)
      return "Tile " + std::to_string(tile_[size_t(c)]) + " at column " + std::to_string(c % cols_ + 1) + ", row " +
             std::to_string(c / cols_ + 1) + " stands again within Distance " + std::to_string(s_.Rules.Distance) + ".";
  return {};
}

void Optimizer::CountUses() {
  std::fill(uses_.begin(), uses_.end(), 0);
  for (auto& h : holders_) h.clear();
  for (int32_t c : cells_) {
    ++uses_[size_t(tile_[size_t(c)])];
    holders_[size_t(tile_[size_t(c)])].push_back(c);
  }
}

void Optimizer::Replace(int32_t a, const TCandidate& cand) {
  const int32_t old = tile_[size_t(a)];
  --uses_[size_t(old)];
  auto& h = holders_[size_t(old)];
  h.erase(std::find(h.begin(), h.end(), a));
  ++uses_[size_t(cand.Tile)];
  holders_[size_t(cand.Tile)].push_back(a);
  Place(a, cand.Tile, cand.Record, cand.Distance);
}

}  // namespace qv::optimizer
