// The selection arithmetic and texts of the editing commands (see CellSelection.h).
#include "models/CellSelection.h"

#include <algorithm>

#include "base/FileUtil.h"
#include "engine/TileRecords.h"

namespace qv {

const char kReplaceOrEraseHint[] = "Press <Enter> to replace, <Del> to erase cell";
const char kEraseHint[] = "Press <Del> key to erase cell";

TWorkArea::TWorkArea(const TCellRect& selection, bool inverted, int32_t cols, int32_t rows)
    : inverted_(inverted), cols_(std::max(cols, 0)), rows_(std::max(rows, 0)) {
  const int32_t lastCol = std::max(cols_ - 1, 0), lastRow = std::max(rows_ - 1, 0);
  selection_.Left = std::clamp(std::min(selection.Left, selection.Right), 0, lastCol);
  selection_.Right = std::clamp(std::max(selection.Left, selection.Right), 0, lastCol);
  selection_.Top = std::clamp(std::min(selection.Top, selection.Bottom), 0, lastRow);
  selection_.Bottom = std::clamp(std::max(selection.Top, selection.Bottom), 0, lastRow);
}

bool TWorkArea::Contains(int32_t col, int32_t row) const {
  if (col < 0 || row < 0 || col >= cols_ || row >= rows_) return false;
  return selection_.Contains(col, row) != inverted_;
}

int64_t TWorkArea::CellCount() const {
  if (cols_ < 1 || rows_ < 1) return 0;
  return inverted_ ? int64_t(cols_) * rows_ - selection_.CellCount() : selection_.CellCount();
}

TCellRect TWorkArea::Bounds() const { return inverted_ ? TCellRect{0, 0, cols_ - 1, rows_ - 1} : selection_; }

std::vector<int32_t> TWorkArea::CellNumbers() const {
  std::vector<int32_t> cells;
  if (cols_ < 1 || rows_ < 1) return cells;
  cells.reserve(size_t(CellCount()));
  const TCellRect b = Bounds();
  for (int32_t r = b.Top; r <= b.Bottom; ++r)
    for (int32_t c = b.Left; c <= b.Right; ++c)
      if (Contains(c, r)) cells.push_back(CellToRow(r, c, cols_));
  return cells;
}

TWorkArea EraseWorkArea(const TCellRect& selection, bool invertSelection, int32_t cols, int32_t rows) {
  return TWorkArea(selection, invertSelection, cols, rows);
}

TWorkArea FillWorkArea(const TCellRect& selection, bool invertSelection, int32_t cols, int32_t rows) {
  const bool oneCell = selection.Left == selection.Right && selection.Top == selection.Bottom;
  if (oneCell) return TWorkArea(TCellRect{0, 0, cols - 1, rows - 1}, false, cols, rows);
  return TWorkArea(selection, invertSelection, cols, rows);
}

bool PatternSelects(TErasePattern pattern, int32_t col, int32_t row) {
  const bool oddCol = col % 2 != 0, oddRow = row % 2 != 0;
  switch (pattern) {
    case TErasePattern::All:
      return true;
    case TErasePattern::CheckBoard1:
      return oddCol != oddRow;
    case TErasePattern::CheckBoard2:
      return oddCol == oddRow;
    case TErasePattern::VLines:
      return !oddCol;
    case TErasePattern::HLines:
      return oddRow;
  }
  return false;
}

const char* ErasePatternCaption(TErasePattern pattern) {
  switch (pattern) {
    case TErasePattern::All:
      return "Erase selection";
    case TErasePattern::CheckBoard1:
      return "CheckBoard 1";
    case TErasePattern::CheckBoard2:
      return "CheckBoard 2";
    case TErasePattern::VLines:
      return "V Lines";
    case TErasePattern::HLines:
      return "H Lines";
  }
  return "";
}

bool IsCustomTile(int32_t tileNo) { return tileNo >= kCustomPictureTileNo; }

namespace {

std::string Pos(int32_t col, int32_t row, const char* between) {
  return std::to_string(col + 1) + between + std::to_string(row + 1);
}

std::string Size(int32_t w, int32_t h, const char* between) {
  return " (" + std::to_string(w) + between + std::to_string(h) + ")";
}

// "1x1 to 3x2"
std::string RangeText(const TCellRect& s) { return Pos(s.Left, s.Top, "x") + " to " + Pos(s.Right, s.Bottom, "x"); }

}  // namespace

std::string SelectionStatusText(const TCellRect& s, bool invertSelection) {
  if (s.Left == s.Right && s.Top == s.Bottom) return {};
  return std::string(invertSelection ? "Not " : "") + Pos(s.Left, s.Top, ":") + " x " + Pos(s.Right, s.Bottom, ":");
}

std::string CellPositionText(int32_t col, int32_t row) { return Pos(col, row, ":"); }

std::string TrimmedName(const std::string& name) {
  const size_t first = name.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return {};
  const size_t last = name.find_last_not_of(" \t\r\n");
  return name.substr(first, last - first + 1);
}

std::string CellPictureText(const std::string& name, int32_t picWidth, int32_t picHeight, const std::string& flipCode) {
  const std::string trimmed = TrimmedName(name);
  if (trimmed.empty()) return "Pic: No pic for this cell.";
  return "Pic: " + trimmed + Size(picWidth, picHeight, "/") + " " + flipCode;
}

std::string ManualCellText(int32_t col, int32_t row, const std::string& name, int32_t picWidth, int32_t picHeight) {
  return "Cell: " + Pos(col, row, ":") + "  Pic: " + TrimmedName(name) + Size(picWidth, picHeight, "/");
}

TPopupActions SelectionActionItems(const TCellRect& s, bool invertSelection) {
  const std::string range = RangeText(s);
  const char* where = invertSelection ? "outside of " : "from ";
  return {{{std::string("Render cells ") + where + range, kRenderCellsTag, true},
           {std::string("Erase cells ") + where + range, kEraseCellsTag, true},
           {"Save cells from " + range + " as a mosaic image", kSaveCellsTag, true}}};
}

TPopupActions ToolPanelActionItems() {
  return {{{"Render cells from ", kRenderCellsTag, true},
           {"Erase cells from ", kEraseCellsTag, true},
           {"Save cells from ", kSaveCellsTag, true}}};
}

TPopupActions CellItems(int32_t col, int32_t row, int32_t cellNumber, const std::string& name, int32_t picWidth,
                        int32_t picHeight, bool withFlipCode, const std::string& flipCode) {
  const std::string trimmed = TrimmedName(name);
  const bool hasTile = !trimmed.empty();
  std::string show = "Show file " + ExtractFileName(trimmed) + Size(picWidth, picHeight, "/");
  if (withFlipCode) show += " " + flipCode;
  return {{{show, cellNumber, hasTile},
           {"Erase this cell (" + Pos(col, row, "x") + ")", cellNumber, hasTile},
           {"Find this tile in the Library Inspector", cellNumber, hasTile}}};
}

std::string CandidateCaption(const std::string& name, int32_t picWidth, int32_t picHeight,
                             const std::string& flipCode) {
  return TrimmedName(name) + Size(picWidth, picHeight, "/") + " " + flipCode;
}

int32_t CandidatesAsked(int32_t candidateCount) { return std::max(candidateCount, 0) + 2; }

int32_t CandidatesShown(int32_t candidateCount, int32_t found) {
  return std::clamp(found, 0, std::max(candidateCount, 0));
}

int32_t CandidatesListed(int32_t candidateCount, int32_t room, int32_t itemHeight) {
  const int32_t fit = itemHeight > 0 ? room / itemHeight - 3 : 1;
  return std::clamp(candidateCount, 0, std::max(fit, 1));
}

}  // namespace qv
