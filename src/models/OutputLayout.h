#pragma once
// The arithmetic of the output mosaic setup: unit conversions of the size and border
// entries, the width and height rules that keep the cell grid's proportions, the read-outs
// (tile size, output size, physical sizes, file size), the layout preview's geometry, the
// geometry of the preview pass that "Save mosaic..." runs, and the render settings the
// writers receive. No window: the output setup calls these and shows the results.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/Geometry.h"
#include "output/RenderSettings.h"
#include "settings/OutputSettings.h"

namespace qv {

constexpr double kInchesPerCm = 0.3937;
// Entries beyond this many pixels (a side or a border) are refused: the sums of sides and
// borders stay far inside 32 bits, and no writer could hold more.
constexpr int32_t kMaxOutputSide = 1000000;
// "Line width" of the grid: 1 .. kMaxGridWidth pixels.
constexpr int kMaxGridWidth = 1000;

// The part of the mosaic being saved: cells across and down, and the tile proportions.
struct TOutputGrid {
  int32_t Cols = 0;
  int32_t Rows = 0;
  int32_t PropX = 0;
  int32_t PropY = 0;
};

// ToUnits: pixels unchanged; inches = pixels / Resolution; cm = inches / 0.3937. A
// resolution of 0 or less gives 0 in inches and cm.
double ToUnits(const TOutputSettings& s, int64_t pixels);
// FromUnits: Round(value); Round(value x Resolution); Round(value x Resolution x 0.3937).
// Empty when the result does not fit in 64 bits.
std::optional<int64_t> FromUnits(const TOutputSettings& s, double value);
// An entry's text as the window shows it: no decimals in pixels, four in inches and cm.
std::string EntryText(const TOutputSettings& s, int64_t pixels);
// A typed entry: a number, with "." or "," as decimal point; empty for anything else.
std::optional<double> ParseEntry(const std::string& text);
// "Pix", "In" or "cm".
const char* UnitCaption(int units);

// The change handlers. Each returns false and changes nothing when the entry is refused: the
// grid proportions are 0 (width and height), or the value in pixels is below 1 (sides),
// negative (borders) or above kMaxOutputSide. A computed other side is at least 1.
bool SetWidthEntry(TOutputSettings& s, const TOutputGrid& g, double entry);
bool SetHeightEntry(TOutputSettings& s, const TOutputGrid& g, double entry);
enum TBorderSide { kBorderLeft, kBorderTop, kBorderRight, kBorderBottom };
bool SetBorderEntry(TOutputSettings& s, TBorderSide side, double entry);
// "dpi": Round(entry); refused when negative or above 65535.
bool SetResolutionEntry(TOutputSettings& s, double entry);

// Borders in force: the stored borders while "Add borders" is on, else 0.
int32_t BorderInForce(const TOutputSettings& s, TBorderSide side);
// TW = BorderLeft + OutputWidth + BorderRight and TH likewise, with the borders in force.
int64_t TotalWidth(const TOutputSettings& s);
int64_t TotalHeight(const TOutputSettings& s);

// The read-outs of the window.
struct TOutputFigures {
  std::string TileSize;    // "50 x 50 pixels"
  std::string OutputSize;  // "2000 x 1500 pixels", borders included
  std::string TileInch, TileCm;
  std::string OutputInch, OutputCm;  // "13.33 x 10.00 inch", "33.87 x 25.40 cm"
  std::string FileSize;              // "File size: 8.58 MB"
};
TOutputFigures OutputFigures(const TOutputSettings& s, const TOutputGrid& g);
// Two decimals with thousands separators ("1,234.50").
std::string FormatTwoDecimals(double v);

// The layout preview: a picture of Width x Height filled with the border colour, the mosaic
// stretched into Target, and with "Draw grid" one-pixel lines.
struct TPreviewLine {
  int X0, Y0, X1, Y1;  // inclusive end points; X0 == X1 or Y0 == Y1
};
struct TLayoutPreview {
  int Width = 0;
  int Height = 0;
  double Scale = 0;  // preview pixels per output pixel
  Rect Target;       // where the mosaic preview goes
  std::vector<TPreviewLine> GridLines;
};
// PW = Round(1.5 x boxWidth), PH = Round(PW / TW x TH), s = PW / TW. Empty (0 x 0) when the
// output has no area.
TLayoutPreview LayoutPreview(const TOutputSettings& s, const TOutputGrid& g, int boxWidth);

// The preview pass of "Save mosaic...": PW = Round(1.5 x boxWidth), PH = Round(PW / (PropX x
// Cols) x (PropY x Rows)), cells of PW / Cols x PH / Rows (not rounded).
struct TPreviewPass {
  int Width = 0;
  int Height = 0;
  double CellWidth = 0;
  double CellHeight = 0;
  // (Round(c x cw), Round(r x ch), Round((c + 1) x cw), Round((r + 1) x ch)).
  Rect CellRect(int c, int r) const;
};
TPreviewPass PreviewPassGeometry(const TOutputGrid& g, int boxWidth);
// Cells too small for a thumbnail are drawn from their signatures: thumbnails only while
// twice the signature grid width is not greater than the preview cell width.
bool PreviewUsesThumbs(const TPreviewPass& pass, int32_t gridW);

// The sizes the window opens with: OutputWidth 0 becomes Cols x PropX; OutputHeight keeps the
// grid's proportions when it was set, else becomes Rows x PropY.
void DefaultOutputSize(TOutputSettings& s, const TOutputGrid& g);

// Whether stored thumbnails of thumbW x thumbH are smaller than a cell of the output
// (OutputWidth div Cols by OutputHeight div Rows): the resample warning.
bool ThumbsTooSmall(const TOutputSettings& s, const TOutputGrid& g, int thumbW, int thumbH);

// What the writers receive. gridWidth is the "Line width" entry; fastJpeg the unstored
// switch; jpegQuality the last answer of the JPEG quality question.
struct TOutputRunOptions {
  int GridWidth = 1;
  bool FastJpeg = true;
  int JpegQuality = 80;
  bool DetailedBackground = true;
};
RenderSettings MakeRenderSettings(const TOutputSettings& s, const TOutputRunOptions& o);

// The save dialog's types: the filter text of each ("Tiff files (*.tif)"), all of them joined
// with ";;", the extension of each, and the type of a filter text (0 when none).
std::string OutputTypeFilter(int type);
std::string OutputTypeFilters();
const char* OutputTypeExtension(int type);
int OutputTypeOfFilter(const std::string& filter);

}  // namespace qv
