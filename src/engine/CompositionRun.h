#pragma once
// The automatic composition of a mosaic: the checks before a run, the completion of the
// library with flipped copies, and the run itself, which fills the cells of the whole grid,
// of a selection or of everything outside it, one cell after another in a visiting order.
//
// The main window and quivara-cli both run it. What only a window does (locking its
// commands, the progress bar, repainting a cell, message boxes) it does in the hooks, which
// the run calls at the right moments; every hook may be left empty.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "engine/CellGrid.h"

namespace qv {

class TQVData;

// "Please check any tile orienitation(s) to use."
extern const char kNoOrientationMessage[];
// The status text while flipped copies are added: "Adding flipped tiles, please wait..."
extern const char kAddingFlipsText[];

// A duration for the status bar: 3723456 ms gives "1h:2m:3.4s", 0 gives "0h:0m:0.0s".
std::string FormatElapsed(int64_t ms);

// True, with the message (lines separated by "\r"), when the library's unflipped tiles are
// too few for the Distance setting, or for the Repeat setting (repeat 0, "Auto", never is).
bool WeGetNotEnoughTiles(const TQVData& library, int32_t distance, int32_t repeat, int32_t cols, int32_t rows,
                         std::string& message);

// Hooks of AddFlips; called only when a pass runs.
struct TAddFlipsHooks {
  // Before the first block: the window locks itself, shows kAddingFlipsText and makes a
  // progress bar with this maximum.
  std::function<void(int32_t progressMax)> OnStart;
  // The library's progress event during the pass (every 100 tiles): let pending messages
  // through and step the bar.
  std::function<void()> OnStep;
  // Always after a pass, also on an error: unlock, free the bar, restore the status text.
  std::function<void()> OnFinish;
};

// Adds to the library the blocks of flipped copies it lacks among the requested ones, in
// the order horizontal, vertical, 180 degrees, then saves the library. Clears the library's
// StopRequested first; a stop skips the blocks not yet added. Returns the requested
// orientations still missing afterwards (indexed as TOrientationSet), whose boxes the window
// unticks. Nothing happens (and no hook is called) when nothing is missing.
TOrientationSet AddFlips(TQVData& library, bool horizontal, bool vertical, bool rotate180,
                         const TAddFlipsHooks& hooks = {});

// Whether the library's records of block `block` (0: the tiles as they are, 1..3: its blocks
// of flipped copies in the order they were added) exist and may be shown under o.
bool CopyBlockAllowed(const TQVData& library, const TOrientationSet& o, int block);

enum TVisitOrder : int { kVisitTopToBottom = 0, kVisitRandom = 1, kVisitSmart = 2 };

struct TCompositionSettings {
  int Mode = kVisitSmart;  // 0 top to bottom, 1 random, 2 smart; any other leaves the plan's order
  int32_t Distance = 6;    // 0 or more
  int32_t Repeat = 0;      // uses allowed per tile; 0 is "Auto", no limit
  bool FixAuto = false;    // keep every cell that holds a tile
  bool FixCustom = true;   // keep every cell that holds a custom picture
  bool InvertSelection = false;
  TOrientationSet Orientations{true, false, false, false};
  int32_t Cols = 0;  // the grid, as plan and mosaic have it
  int32_t Rows = 0;
  TCellRect Selection;                 // a one-cell selection means the whole grid
  std::optional<uint64_t> RandomSeed;  // the random order's seed; none: from the clock
};

// What the run reports after each cell of its area.
struct TCompositionProgress {
  int32_t Done = 0;
  int32_t Total = 0;
  bool Filled = false;      // false for a kept cell, which gets no texts
  std::string PercentText;  // status panel 0 and the window title: "37%"
  std::string StatusText;   // status panel 1: "(elapsed)/(estimated whole run) total - done = left"
};

struct TCompositionHooks {
  // After the checks, before the use counts are reset: the window shows tile pictures,
  // ticks "Target", locks itself and makes a progress bar with maximum total.
  std::function<void(int32_t total)> OnStart;
  // A cell was filled: the window repaints that one cell.
  std::function<void(int32_t cell, int32_t col, int32_t row)> OnCellPlaced;
  // Before a tile is written into a cell (the window records the cell for undo).
  std::function<void(int32_t cell)> BeforePlace;
  // After every cell of the area, kept or filled: the window steps the bar and, for a
  // filled cell, writes the texts.
  std::function<void(const TCompositionProgress&)> OnProgress;
  // After each filled cell: let pending messages through (a stop request gets in here).
  std::function<void()> ProcessMessages;
  // Polled after each filled cell; true ends the run after that cell.
  std::function<bool()> StopRequested;
  // Always at the end once OnStart was called, also on an error, after the use counts were
  // reset and the plan's order cleared: the window unlocks itself and frees the bar.
  std::function<void()> OnFinish;
  // Milliseconds of a steady clock; the run uses std::chrono::steady_clock when empty.
  std::function<int64_t()> NowMs;
};

enum class TCompositionOutcome {
  NotOpen,         // plan or library not open: nothing done, no message
  NoOrientation,   // kNoOrientationMessage
  NotEnoughTiles,  // the message of WeGetNotEnoughTiles
  Completed,
  Stopped,  // after a stop request; the cells filled so far stay
};

struct TCompositionResult {
  TCompositionOutcome Outcome = TCompositionOutcome::NotOpen;
  std::string Message;
  int32_t Total = 0;     // cells of the area
  int32_t Done = 0;      // cells of the area passed (kept or filled)
  int32_t Kept = 0;      // kept by "Fix auto" / "Fix custom"
  int32_t Placed = 0;    // filled with a tile
  int32_t NewTiles = 0;  // distinct tiles used by the run
  int64_t ElapsedMs = 0;
};

// One run over plan (the visiting order), library (the tiles) and mosaic (the cells). The
// error "Quivara run out of tiles:" (EOutOfTiles) of a cell that no tile fits reaches the
// caller after the clean-up; the cells filled before it stay filled. Raises EQuivara when
// plan, mosaic and settings do not fit together (before anything changes).
TCompositionResult RunComposition(TQVData& library, TQVData& plan, TQVData& mosaic,
                                  const TCompositionSettings& settings, const TCompositionHooks& hooks = {});

}  // namespace qv
