#include "models/LibraryInspectorModel.h"

#include <algorithm>
#include <cmath>

#include "base/Rounding.h"

namespace qv {

std::string FlipsText(const uint8_t flipKinds[3]) {
  auto has = [&](uint8_t kind) { return flipKinds[0] == kind || flipKinds[1] == kind || flipKinds[2] == kind; };
  std::string letters;
  if (has(1)) letters += 'H';
  if (has(3)) letters += 'V';
  if (has(2)) letters += 'R';
  return letters.empty() ? std::string() : " (" + letters + ")";
}

std::string LibrarySummaryLine(const TLibrarySummaryValues& v) {
  return std::to_string(v.UnflippedCount) + FlipsText(v.FlipKinds) + " rec. (" + v.ColorSystemName + ") " +
         std::to_string(v.PropX) + "/" + std::to_string(v.PropY) + " - " + std::to_string(v.GridW) + "/" +
         std::to_string(v.GridH);
}

int32_t CoveringSide(int32_t tiles, int32_t side) {
  if (side < 1) side = 1;
  if (tiles < 1) return 1;
  return std::max(1, tiles / side + (tiles % side > 0 ? 1 : 0));
}

int32_t InitialColumns(int32_t tiles) {
  return std::max(1, RoundHalfEven(std::sqrt(static_cast<double>(std::max(tiles, 0)))));
}

int32_t ThumbWidthForRow(int32_t rowHeight, int32_t propX, int32_t propY) {
  if (propX < 1 || propY < 1) return rowHeight;
  return RoundHalfEven(double(rowHeight) / propY * propX);
}

int32_t InspectorRowHeight(int32_t wanted, int32_t textHeight) { return std::max(wanted, 3 * textHeight + 6); }

}  // namespace qv
