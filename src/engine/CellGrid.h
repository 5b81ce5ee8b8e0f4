#pragma once
// Cells of a mosaic grid and the tile orientations a search may use.
//
// Plan and mosaic hold one record per cell, row by row: cell (column c, row r), both
// 0-based, is record r x cols + c + 1.
#include <array>
#include <cstdint>

namespace qv {

// Which tile orientations a search may use, indexed by FlipKind: 0 unflipped,
// 1 horizontal mirror, 2 rotated 180, 3 vertical mirror.
using TOrientationSet = std::array<bool, 4>;

inline bool AnyOrientation(const TOrientationSet& o) { return o[0] || o[1] || o[2] || o[3]; }

// Record number of cell (col, row) in a grid of cols columns.
constexpr int32_t CellToRow(int32_t row, int32_t col, int32_t cols) { return row * cols + col + 1; }

// Column and row of record n in a grid of cols columns.
constexpr void RowToCell(int32_t n, int32_t cols, int32_t& col, int32_t& row) {
  col = (n - 1) % cols;
  row = (n - 1) / cols;
}

// An inclusive rectangle of cells, 0-based (the grid's selection).
struct TCellRect {
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Right = 0;
  int32_t Bottom = 0;

  constexpr bool Contains(int32_t col, int32_t row) const {
    return Left <= col && col <= Right && Top <= row && row <= Bottom;
  }
  constexpr int64_t CellCount() const {
    return Right < Left || Bottom < Top ? 0 : int64_t(Right - Left + 1) * (Bottom - Top + 1);
  }
  constexpr bool operator==(const TCellRect&) const = default;
};

}  // namespace qv
