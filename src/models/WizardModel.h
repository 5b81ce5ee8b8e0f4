#pragma once
// The arithmetic and rules of the wizard: which pages each task reaches and how "Next >" and
// "< Back" move between them, the help topic of each page, the drawing of the tile crop on
// the proportions page, the proposed project name, the output size and its read-outs, the
// writer a mosaic file name selects and the render settings the wizard's writers run with.
// No window: the wizard calls these and shows the results.
#include <array>
#include <cstdint>
#include <iterator>
#include <string>

#include "base/Geometry.h"
#include "output/RenderSettings.h"
#include "output/Renderer.h"

namespace qv {

inline constexpr int kWizardPageCount = 14;
// The pages, in their fixed order.
enum TWizardPage : int {
  kPageTask = 0,         // "What do you want to do?"
  kPageFolder = 1,       // the tile picture folder
  kPageTypes = 2,        // picture types
  kPageProportions = 3,  // tile proportions, margin, crop anchor
  kPageLibraryName = 4,  // the new library's file
  kPageCreateLibrary = 5,
  kPageOpenLibrary = 6,
  kPageSource = 7,
  kPageGrid = 8,  // columns, rows and the framed part of the source picture
  kPageProject = 9,
  kPageCreateMosaic = 10,
  kPageOutputSize = 11,
  kPageMosaicName = 12,
  kPageSave = 13,
};

// The choice of the first page.
enum class TWizardTask { None, NewLibrary, NewMosaic, SaveMosaic };

using TWizardPages = std::array<bool, kWizardPageCount>;
// The pages a task reaches (page 0 always). Saving needs an open project: without one only
// page 0 is reached.
TWizardPages WizardPagesShown(TWizardTask task, bool projectOpen);
// The next or previous shown page, or -1 at either end.
int NextWizardPage(const TWizardPages& shown, int page);
int PreviousWizardPage(const TWizardPages& shown, int page);
// The explanation under the choices of page 0.
const char* WizardExplanation(TWizardTask task, bool projectOpen);
// Whether "Next >" may leave page 0.
bool WizardTaskReady(TWizardTask task, bool projectOpen);

// Help topics: 14 the wizard and page 0, 15 pages 1-5, 16 pages 6-10, 17 pages 11-13.
inline constexpr int kWizardHelpContext = 14;
inline constexpr int kWizardPageHelpContexts[] = {14, 15, 15, 15, 15, 15, 16, 16, 16, 16, 16, 17, 17, 17};
static_assert(std::size(kWizardPageHelpContexts) == kWizardPageCount);

// Tile proportions of page 3, as X x Y.
enum class TTileShape { None, Square, Portrait, Landscape, Custom };
Size WizardProportion(TTileShape shape, int customX, int customY);

// The drawing of page 3: outer stands for a picture (a square), the result is the part kept.
// Its sides are the outer ones (Portrait: width 3/4 of it; Landscape: height 3/4; Custom: the
// longer of X and Y spans the outer side, the other scaled), less marginPercent; it is
// placed by the anchor (column 0..2 left to right, row 0..2 top to bottom). With stretch the
// sides are the outer ones less the margin, centred.
Rect WizardKeptPart(const Rect& outer, TTileShape shape, int customX, int customY, int marginPercent, int anchorColumn,
                    int anchorRow, bool stretch);

// The project name page 9 proposes: source picture name + "-" + library name (both without
// folder and extension) + columns + "x" + rows + ".qvp".
std::string WizardProjectName(const std::string& sourceFile, const std::string& libraryFile, int cols, int rows);

// The output size of page 11: cells of cellWidth x Floor(cellWidth x PropY / PropX), all in
// 64 bits (the fields' largest values fit; their byte count is held at INT64_MAX).
struct TWizardOutputSize {
  int64_t Cols = 0;
  int64_t Rows = 0;
  int64_t CellWidth = 0;
  int64_t CellHeight = 0;
  int64_t Width = 0;
  int64_t Height = 0;
  int64_t Bytes = 0;  // 3 x Width x Height, at most INT64_MAX
  // Whether the writers can take it: both sides 1 .. kWizardMaxSide.
  bool Writable() const;
};
inline constexpr int64_t kWizardMaxSide = 1000000;
TWizardOutputSize WizardOutputSize(int64_t cols, int64_t rows, int64_t cellWidth, int32_t propX, int32_t propY);

struct TWizardReadouts {
  std::string Cells;   // "40 x 30 cells"
  std::string Pixels;  // "1280 x 720 pixels"
  std::string Bytes;   // FormatByteSize of the bytes
  std::string Inch;    // "8.53 x 4.80 inch", "-- inch" without a resolution
  std::string Cm;      // "21.67 x 12.19 cm", "-- cm"
};
TWizardReadouts WizardReadouts(const TWizardOutputSize& size, int64_t dpi);

// The writer a mosaic file name selects, by its extension in any case: ".jpg" the in-memory
// poster; ".bmp" and ".tif" the direct-to-disk writer when directToDisk, else the poster;
// anything else none.
enum class TWizardWriter { None, Poster, DiskBmp, DiskTiff };
TWizardWriter WizardWriterFor(const std::string& fileName, bool directToDisk);
// The mosaic file types of page 12's save dialog, in the dialog's order, and the extension of
// a chosen type ("" for none of them).
extern const char kWizardMosaicTypes[];  // "Tiff files (*.tif);;Jpeg files (*.jpg);;BMP files (*.bmp)"
extern const char kWizardJpegType[];     // "Jpeg files (*.jpg)"
std::string WizardTypeExtension(const std::string& type);
// The name the field takes: a name whose extension is not one of the three gets the chosen
// type's, so that the save always has a writer.
std::string WizardMosaicFileName(const std::string& chosen, const std::string& type);

// The line of page 13: typing true while the field changes, false once "Next >" left page 12.
std::string WizardSaveLine(const std::string& fileName, bool typing);

// What the wizard's writers take (SavePosterWizard, SaveTiffWizard).
struct TWizardSaveParams {
  std::string FileName;
  bool SelectedOnly = false;  // "Save only selected area"
  bool Sharpen = true;
  int32_t JpegQuality = 75;  // the poster only
  int32_t CorrectionPercent = 0;
  int32_t BlendPercent = 0;
  int32_t Resolution = 150;
  int32_t Height = 0;
  int32_t Width = 0;
  bool UseOriginals = false;
};
// No borders, no grid, DetailedBlend off; the rest from the parameters.
RenderSettings WizardRenderSettings(const TWizardSaveParams& p, bool fastJpeg, bool detailedBackground);
// The wizard's writers hide "Auto replace with source" and ask about empty cells like missing
// files when they render from the originals.
MissingTilePolicy WizardMissingTilePolicy();

}  // namespace qv
