#pragma once
// The arithmetic of the mosaic grid's selection for the editing commands: the work area a
// command covers (the selection, or with "Inv select" everything outside it), the erase
// patterns, and the texts that follow the selection and the cell pop-up menu. Columns and
// rows are 0-based; the texts count from 1. No window is involved: the main window and the
// manual tiles window call these and show the results.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/CellGrid.h"

namespace qv {

// The cells a selection command works on.
class TWorkArea {
 public:
  TWorkArea() = default;
  // selection is clamped to the grid of cols x rows cells; inverted: the cells outside it.
  TWorkArea(const TCellRect& selection, bool inverted, int32_t cols, int32_t rows);

  const TCellRect& Selection() const { return selection_; }
  bool Inverted() const { return inverted_; }
  int32_t Cols() const { return cols_; }
  int32_t Rows() const { return rows_; }
  bool Contains(int32_t col, int32_t row) const;
  int64_t CellCount() const;
  // The rectangle a pass walks row by row: the whole grid when inverted, else the selection.
  TCellRect Bounds() const;
  // The record numbers of the area's cells, row by row from the top, each row from the left.
  std::vector<int32_t> CellNumbers() const;

 private:
  TCellRect selection_;
  bool inverted_ = false;
  int32_t cols_ = 0;
  int32_t rows_ = 0;
};

// "Erase selection" and the special erasings: the selection as it is (one cell is one cell),
// or everything outside it.
TWorkArea EraseWorkArea(const TCellRect& selection, bool invertSelection, int32_t cols, int32_t rows);
// Composition and "Replace all": a one-cell selection means the whole grid (and "Inv select"
// does not apply then); otherwise as EraseWorkArea.
TWorkArea FillWorkArea(const TCellRect& selection, bool invertSelection, int32_t cols, int32_t rows);

// Which cells of the work area an erase command erases; parity counts grid columns and rows,
// not positions inside the selection.
enum class TErasePattern {
  All,          // "Erase selection"
  CheckBoard1,  // exactly one of column and row odd
  CheckBoard2,  // column and row both even or both odd
  VLines,       // even columns
  HLines,       // odd rows
};
bool PatternSelects(TErasePattern pattern, int32_t col, int32_t row);
// The command's caption: "Erase selection", "CheckBoard 1", "CheckBoard 2", "V Lines", "H Lines".
const char* ErasePatternCaption(TErasePattern pattern);

// Whether a cell holding tile id tileNo holds a custom (or forced) picture.
bool IsCustomTile(int32_t tileNo);

// ---- Status texts ----
// Status panel 0 for a selection: ("Not " with "Inv select") "1:1 x 3:2"; empty for a one-cell
// selection, which shows no selection status.
std::string SelectionStatusText(const TCellRect& selection, bool invertSelection);
// Status panel 0 for the current cell: "4:7".
std::string CellPositionText(int32_t col, int32_t row);
// Status panel 2 for the current cell: "Pic: " name " (" width "/" height ") " flip code, or
// "Pic: No pic for this cell." when the (trimmed) name is empty.
std::string CellPictureText(const std::string& name, int32_t picWidth, int32_t picHeight, const std::string& flipCode);
// The manual tiles window's status panel 0: "Cell: 4:7  Pic: " name " (" width "/" height ")".
std::string ManualCellText(int32_t col, int32_t row, const std::string& name, int32_t picWidth, int32_t picHeight);
// Main status panel 1 hints after a cell became current.
extern const char kReplaceOrEraseHint[];  // "Press <Enter> to replace, <Del> to erase cell"
extern const char kEraseHint[];           // "Press <Del> key to erase cell"
// A tile file name with its blanks trimmed off; empty for a cell without a tile.
std::string TrimmedName(const std::string& name);

// ---- The cell pop-up menu ----
// Tags of the three action items.
constexpr int32_t kRenderCellsTag = -1;
constexpr int32_t kEraseCellsTag = -2;
constexpr int32_t kSaveCellsTag = -3;
// Items 0..2 of the pop-up menu: captions, tags and whether they are enabled.
struct TPopupItem {
  std::string Caption;
  int32_t Tag = 0;
  bool Enabled = true;
};
using TPopupActions = std::array<TPopupItem, 3>;
// For a selection of more than one cell: "Render cells from 1x1 to 3x2", "Erase cells from
// 1x1 to 3x2", "Save cells from 1x1 to 3x2 as a mosaic image" ("outside of" with "Inv select"
// for the first two).
TPopupActions SelectionActionItems(const TCellRect& selection, bool invertSelection);
// The tool panel's: "Render cells from ", "Erase cells from ", "Save cells from ".
TPopupActions ToolPanelActionItems();
// For one cell, record cellNumber at (col, row), holding a tile named name: "Show file " name
// without folder " (" width "/" height ")" (and ") " + flip code when withFlipCode), "Erase
// this cell (4x7)", "Find this tile in the Library Inspector"; tag cellNumber, enabled only
// when the cell holds a tile.
TPopupActions CellItems(int32_t col, int32_t row, int32_t cellNumber, const std::string& name, int32_t picWidth,
                        int32_t picHeight, bool withFlipCode, const std::string& flipCode);
// A candidate item's caption: name " (" width "/" height ") " flip code.
std::string CandidateCaption(const std::string& name, int32_t picWidth, int32_t picHeight, const std::string& flipCode);
// How many candidates the pop-up's search keeps (two more than it shows).
int32_t CandidatesAsked(int32_t candidateCount);
// How many it shows when the search found found of them.
int32_t CandidatesShown(int32_t candidateCount, int32_t found);
// How many candidates the pop-up lists: candidateCount, but no more than fit in one column
// below the three items above them on a screen room pixels high, at itemHeight pixels an item
// (at least one). The stored preference may ask for up to 999999, far more than a menu can
// show or a right click can wait for.
int32_t CandidatesListed(int32_t candidateCount, int32_t room, int32_t itemHeight);

}  // namespace qv
