#pragma once
// The arithmetic of the library inspector: the flips text and summary line of a library, the
// columns and rows of "Make Mosaic from Library" that cover every tile, and the rows of its
// tile grid. Qt-free.
#include <cstdint>
#include <string>

namespace qv {

// " (" + "H" if a block of kind 1 exists, "V" for kind 3, "R" for kind 2 + ")"; empty when
// there is none.
std::string FlipsText(const uint8_t flipKinds[3]);

struct TLibrarySummaryValues {
  int32_t UnflippedCount = 0;
  uint8_t FlipKinds[3] = {0, 0, 0};
  std::string ColorSystemName;
  int32_t PropX = 0;
  int32_t PropY = 0;
  int32_t GridW = 0;
  int32_t GridH = 0;
};
// Label1: tiles + flips text + " rec. (" + colour system + ") " + PropX + "/" + PropY + " - "
// + GridW + "/" + GridH.
std::string LibrarySummaryLine(const TLibrarySummaryValues& v);

// The other side of "Columns:" x "Rows:" so that every tile has a cell: tiles div side, plus
// 1 when a remainder is left (at least 1).
int32_t CoveringSide(int32_t tiles, int32_t side);
// The columns offered first: Round(sqrt(tiles)), at least 1.
int32_t InitialColumns(int32_t tiles);

// Thumbnail width in a row of height h: Round(h / propY x propX).
int32_t ThumbWidthForRow(int32_t rowHeight, int32_t propX, int32_t propY);
// The row height once the user has resized rows: at least three text lines and 6 pixels.
int32_t InspectorRowHeight(int32_t wanted, int32_t textHeight);

}  // namespace qv
