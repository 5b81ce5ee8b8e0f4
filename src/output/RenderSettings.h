#pragma once
// What an output run renders: the settings gathered from the output setup dialog or the
// wizard, the rectangle of grid cells it covers, and the geometry shared by every writer.
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "base/Geometry.h"
#include "base/Rounding.h"

namespace qv {

class TQVData;

// An RGB colour value as the settings keep it: low byte red, then green, then blue.
using ColorRef = uint32_t;
constexpr ColorRef MakeColorRef(uint8_t r, uint8_t g, uint8_t b) {
  return r | (uint32_t(g) << 8) | (uint32_t(b) << 16);
}
constexpr uint8_t RedOfRef(ColorRef c) { return uint8_t(c); }
constexpr uint8_t GreenOfRef(ColorRef c) { return uint8_t(c >> 8); }
constexpr uint8_t BlueOfRef(ColorRef c) { return uint8_t(c >> 16); }

struct RenderSettings {
  int32_t OutputWidth = 0;  // the mosaic area, borders excluded
  int32_t OutputHeight = 0;
  int32_t BorderLeft = 0, BorderTop = 0, BorderRight = 0, BorderBottom = 0;
  ColorRef BorderColor = MakeColorRef(255, 255, 255);
  int32_t GridWidth = 0;  // 0: no grid
  ColorRef GridColor = 0;
  int32_t CorrectionPercent = 0;  // 0..100
  int32_t BlendAlpha = 0;         // 0..255, BlendAlphaFromPercent of the dialog's percent
  bool DetailedBlend = false;     // blend with the full-resolution source picture
  bool Sharpen = true;
  bool FastJpeg = true;
  bool UseOriginals = false;  // render tiles from their picture files
  // Empty cells with UseOriginals: filled from the source picture (the preference "Use
  // detailed background") instead of the blank picture.
  bool DetailedBackground = true;
  int32_t Resolution = 150;  // dots per inch written into the file
  int32_t JpegQuality = 85;

  int32_t PictureWidth() const { return BorderLeft + OutputWidth + BorderRight; }
  int32_t PictureHeight() const { return BorderTop + OutputHeight + BorderBottom; }
};

// Round(percent / 100 x 255).
inline int32_t BlendAlphaFromPercent(double percent) { return RoundHalfEven(percent / 100.0 * 255.0); }

// A rectangle of grid cells in absolute 0-based grid coordinates.
struct RenderArea {
  int32_t FirstCol = 0;
  int32_t FirstRow = 0;
  int32_t Cols = 0;
  int32_t Rows = 0;
  int32_t Count() const { return Cols * Rows; }
  bool operator==(const RenderArea&) const = default;
};

// The whole grid.
inline RenderArea WholeGrid(int32_t gridCols, int32_t gridRows) { return RenderArea{0, 0, gridCols, gridRows}; }
// The area of a grid selection given by its corner cells (inclusive, in any order); a
// selection of a single cell means the whole grid. The selection is cut to the grid.
RenderArea RenderAreaFromSelection(const Rect& selection, int32_t gridCols, int32_t gridRows);

// Round(total / parts x i) computed in extended precision: the boundaries of cells and grid
// lines. Neighbouring parts may differ by one; the parts tile the total exactly.
inline int32_t SplitPoint(int32_t total, int32_t parts, int32_t i) {
  return RoundHalfEven(static_cast<long double>(total) / parts * i);
}

// The two tables a run reads (the plan's grid and source picture values describe the project).
struct RenderSource {
  TQVData* Mosaic = nullptr;
  TQVData* Plan = nullptr;
  int32_t GridCols = 0;  // the whole mosaic's grid
  int32_t GridRows = 0;
  std::string SourceFileName;
  Rect SourceRect;  // the part of the source picture the mosaic covers
};
// Takes the grid and source values from the plan.
RenderSource RenderSourceFromProject(TQVData& mosaic, TQVData& plan);

// Answers of the tile-not-found question.
enum TileNotFoundAnswer : int {
  kAnswerReplace = 1,         // "Replace": the stored picture for this tile
  kAnswerReplaceAllRest = 2,  // "Replace all rest": and UseOriginals off for the rest of the run
  kAnswerAuto = 3,            // "Auto": the stored picture, without asking again
  kAnswerCancel = 4,          // "Cancel": stop the run
  kAnswerAutoSource = 6,      // "Auto replace with source": fill from the source, without asking again
};

// How a run reports and is steered. Every member may be left empty.
struct RenderCallbacks {
  // Asked, on the calling thread and in cell order, when a tile's picture file is missing.
  // offerSource: whether "Auto replace with source" (6) may be answered.
  std::function<int(const std::string& missingFile, bool offerSource)> AskTileNotFound;
  std::function<void(int64_t done, int64_t total)> OnProgress;  // after each cell
  std::function<void()> ProcessMessages;                        // after each cell
  std::function<void(const std::string& text)> OnStatus;        // "Grid...", "Saving...", outcomes
  // Polled after each cell; the run ends when it is set. "Cancel" sets it and ends the run
  // after its cell also when no flag is given.
  std::atomic<bool>* StopRequested = nullptr;
  // Worker threads composing cells: 0 = one per core, 1 = everything on the calling thread.
  // The output is the same either way.
  int Threads = 0;
};

}  // namespace qv
