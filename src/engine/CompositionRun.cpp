#include "engine/CompositionRun.h"

#include <algorithm>
#include <chrono>
#include <exception>

#include "base/Errors.h"
#include "engine/QVData.h"

namespace qv {

const char kNoOrientationMessage[] = "Please check any tile orienitation(s) to use.";
const char kAddingFlipsText[] = "Adding flipped tiles, please wait...";

std::string FormatElapsed(int64_t ms) {
  const int64_t hours = ms / 3600000;
  const int64_t minutes = (ms % 3600000) / 60000;
  const int64_t seconds = (ms % 60000) / 1000;
  const int64_t tenths = (ms % 1000) / 100;
  return std::to_string(hours) + "h:" + std::to_string(minutes) + "m:" + std::to_string(seconds) + "." +
         std::to_string(tenths) + "s";
}

bool WeGetNotEnoughTiles(const TQVData& library, int32_t distance, int32_t repeat, int32_t cols, int32_t rows,
                         std::string& message) {
  const int64_t n = library.UnflippedCount;
  const int64_t w = cols > distance ? distance : cols;
  const int64_t h = rows > distance ? distance : rows;
  if (w * h > n) {
    message = "There are not enough tiles for current distance between tiles setting.\rYou need " +
              std::to_string(w * h) + " tiles in the library but have only " + std::to_string(n) +
              ".\rPlease decrease \"Distance\" value.";
    return true;
  }
  if (repeat == 0) return false;
  const int64_t cells = int64_t(cols) * rows;
  if (int64_t(repeat) * n < cells) {
    message = "There are not enough tiles for current tile repetition setting.\rYou need " +
              std::to_string(cells / repeat) + " tiles in the library but have only " + std::to_string(n) +
              ".\rPlease increase \"Repeat\" value\ror set it to \"Auto\" to use as many repetitons as needed.";
    return true;
  }
  return false;
}

bool CopyBlockAllowed(const TQVData& library, const TOrientationSet& o, int block) {
  const int32_t n0 = library.UnflippedCount;
  if (n0 < 1 || int64_t(block + 1) * n0 > library.Count) return false;
  if (block == 0) return o[0];
  const uint8_t kind = library.FlipKinds[block - 1];
  return kind >= kFlipHorizontal && kind <= kFlipVertical && o[kind];
}

TOrientationSet AddFlips(TQVData& library, bool horizontal, bool vertical, bool rotate180,
                         const TAddFlipsHooks& hooks) {
  TOrientationSet wanted{false, horizontal, rotate180, vertical};
  auto missing = [&] {
    TOrientationSet m{false, false, false, false};
    for (int kind = kFlipHorizontal; kind <= kFlipVertical; ++kind)
      m[kind] = wanted[kind] && !library.HoldsFlipKind(kind);
    return m;
  };
  library.StopRequested = false;
  const TOrientationSet before = missing();
  const int32_t count = int32_t(before[1]) + int32_t(before[2]) + int32_t(before[3]);
  if (count == 0) return before;

  if (hooks.OnStart) hooks.OnStart(count + count * (library.UnflippedCount / 100));
  auto savedProgress = std::move(library.OnProgress);
  library.OnProgress = [&hooks](TQVData&) {
    if (hooks.OnStep) hooks.OnStep();
  };
  auto cleanUp = [&] {
    library.OnProgress = std::move(savedProgress);
    if (hooks.OnFinish) hooks.OnFinish();
  };
  try {
    for (int kind : {kFlipHorizontal, kFlipVertical, kFlipRotate180})
      if (!library.StopRequested && wanted[kind] && !library.HoldsFlipKind(kind)) library.AddFlippedCopies(kind);
    library.Save();
  } catch (...) {
    cleanUp();
    throw;
  }
  cleanUp();
  return missing();
}

namespace {

int64_t SteadyMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// The elapsed time and the estimate of the status text: elapsed sums the intervals between
// filled cells up to the previous one; the estimate assumes every cell left takes as long
// as the last interval.
class RunClock {
 public:
  explicit RunClock(const std::function<int64_t()>& now) : now_(now) {}
  void CellFilled() {
    const int64_t t = now_ ? now_() : SteadyMs();
    if (first_) {
      first_ = false;
      elapsed_ = lastInterval_ = 0;
    } else {
      elapsed_ += lastInterval_;
      lastInterval_ = t - lastTick_;
    }
    lastTick_ = t;
  }
  std::string StatusText(int32_t total, int32_t done) const {
    const int64_t left = int64_t(total) - done;
    return "(" + FormatElapsed(elapsed_) + ")/(" + FormatElapsed(left * lastInterval_ + elapsed_) + ") " +
           std::to_string(total) + " - " + std::to_string(done) + " = " + std::to_string(left);
  }

 private:
  const std::function<int64_t()>& now_;
  bool first_ = true;
  int64_t elapsed_ = 0, lastInterval_ = 0, lastTick_ = 0;
};

void CheckRunInput(const TQVData& plan, const TQVData& mosaic, const TCompositionSettings& s) {
  if (s.Cols < 1 || s.Rows < 1 || int64_t(s.Cols) * s.Rows != plan.Count || mosaic.Count != plan.Count)
    throw EQuivara("A grid of " + std::to_string(s.Cols) + " x " + std::to_string(s.Rows) +
                   " cells does not fit a plan of " + std::to_string(plan.Count) + " and a mosaic of " +
                   std::to_string(mosaic.Count) + " cells");
  if (s.Distance < 0) throw EQuivara("Distance must not be negative");
  if (s.Repeat < 0) throw EQuivara("Repeat must not be negative");
}

}  // namespace

TCompositionResult RunComposition(TQVData& library, TQVData& plan, TQVData& mosaic, const TCompositionSettings& s,
                                  const TCompositionHooks& hooks) {
  TCompositionResult result;
  if (!plan.TableIsOpen() || !library.TableIsOpen() || !mosaic.TableIsOpen()) return result;
  if (!AnyOrientation(s.Orientations)) {
    result.Outcome = TCompositionOutcome::NoOrientation;
    result.Message = kNoOrientationMessage;
    return result;
  }
  CheckRunInput(plan, mosaic, s);
  const int32_t cols = s.Cols, rows = s.Rows;
  if (WeGetNotEnoughTiles(library, s.Distance, s.Repeat, cols, rows, result.Message)) {
    result.Outcome = TCompositionOutcome::NotEnoughTiles;
    return result;
  }

  // The region: a one-cell selection means the whole grid; with "Inv select" the cells
  // outside the selection are filled.
  TCellRect sel = s.Selection;
  sel.Left = std::clamp(sel.Left, 0, cols - 1);
  sel.Right = std::clamp(sel.Right, 0, cols - 1);
  sel.Top = std::clamp(sel.Top, 0, rows - 1);
  sel.Bottom = std::clamp(sel.Bottom, 0, rows - 1);
  const bool wholeGrid = sel.Left == sel.Right && sel.Top == sel.Bottom;
  const bool invert = !wholeGrid && s.InvertSelection;
  std::vector<int32_t> usedTiles;
  int64_t total;
  if (wholeGrid) {
    sel = {0, 0, cols - 1, rows - 1};
    total = int64_t(cols) * rows;
    mosaic.FillUsedTiles(usedTiles, 1);
  } else {
    total = invert ? int64_t(cols) * rows - sel.CellCount() : sel.CellCount();
    mosaic.FillUsedTilesForSelection(usedTiles, invert, {sel.Left + 1, sel.Top + 1}, {sel.Right + 1, sel.Bottom + 1},
                                     {cols, rows});
  }
  result.Total = static_cast<int32_t>(total);
  auto inWorkArea = [&](int32_t col, int32_t row) { return sel.Contains(col, row) != invert; };

  if (hooks.OnStart) hooks.OnStart(result.Total);
  const int64_t startMs = hooks.NowMs ? hooks.NowMs() : SteadyMs();
  auto cleanUp = [&] {
    library.ResetUseCounts();
    plan.ClearOrder();
    result.ElapsedMs = (hooks.NowMs ? hooks.NowMs() : SteadyMs()) - startMs;
    if (hooks.OnFinish) hooks.OnFinish();
  };
  try {
    library.ResetUseCounts();
    switch (s.Mode) {
      case kVisitTopToBottom:
        plan.ClearOrder();
        break;
      case kVisitRandom:
        if (s.RandomSeed)
          plan.OrderRandom(*s.RandomSeed);
        else
          plan.OrderRandom();
        break;
      case kVisitSmart:
        plan.OrderByDetail();
        break;
      default:
        break;
    }

    RunClock clock(hooks.NowMs);
    result.Outcome = TCompositionOutcome::Completed;
    const int32_t repeatLimit = s.Repeat - 1;
    for (int32_t i = 1; i <= plan.Count; ++i) {
      plan.Go(i);
      const int32_t cell = plan.RecNo;
      int32_t col, row;
      RowToCell(cell, cols, col, row);
      if (!inWorkArea(col, row)) continue;

      TCompositionProgress progress;
      progress.Total = result.Total;
      const int32_t id = mosaic.RecordTileNo(cell);
      if ((s.FixCustom && id >= kCustomPictureTileNo) || (s.FixAuto && id > 0)) {
        progress.Done = ++result.Done;
        ++result.Kept;
        if (hooks.OnProgress) hooks.OnProgress(progress);
        continue;
      }

      bool newTile = false;
      library.FindTileForCell(plan, usedTiles, s.Orientations, repeatLimit, s.Distance, cols, rows, col, row, newTile);
      if (newTile) ++result.NewTiles;
      if (hooks.BeforePlace) hooks.BeforePlace(cell);
      if (mosaic.PlaceTile(cell, library, true)) {
        ++result.Placed;
        if (hooks.OnCellPlaced) hooks.OnCellPlaced(cell, col, row);
      }
      progress.Done = ++result.Done;
      progress.Filled = true;
      progress.PercentText = std::to_string(int64_t(progress.Done) * 100 / progress.Total) + "%";
      clock.CellFilled();
      progress.StatusText = clock.StatusText(progress.Total, progress.Done);
      if (hooks.OnProgress) hooks.OnProgress(progress);
      if (hooks.ProcessMessages) hooks.ProcessMessages();
      if (hooks.StopRequested && hooks.StopRequested()) {
        plan.Go(i);
        mosaic.Go(cell);
        result.Outcome = TCompositionOutcome::Stopped;
        break;
      }
    }
  } catch (...) {
    cleanUp();
    throw;
  }
  cleanUp();
  return result;
}

}  // namespace qv
