#pragma once
// The statistic report of a mosaic: for every tile picture used, how many cells show it and
// where (with the orientation of each use), and how many different pictures were used.
#include <cstdint>
#include <string>

#include "output/RenderSettings.h"

namespace qv {

class TQVData;

// "(R)" when x2 < x1 and y2 < y1, "(H)" when x2 < x1 and y1 < y2, "(V)" when x1 < x2 and
// y2 < y1, otherwise "".
std::string FlipMarker(int x1, int y1, int x2, int y2);

// The report's bytes (CR LF line ends): header lines, then one line per different file name
// in ascending byte order, "%4s, %s , %s" with the use count, the name and the position
// items " %sx%s%s " (1-based column, row, flip marker). The summary line is the count
// followed by " unique pictures were used." over the first characters of 51 spaces. Empty
// and blank names (empty cells) are not listed. pictures receives the count.
std::string MakeStatisticReport(TQVData& mosaic, int32_t gridCols, const RenderCallbacks& callbacks,
                                int32_t* pictures = nullptr);

// Writes the report to fileName (through a temporary file renamed at the end) and returns the
// number of different pictures. Status "Sorting..." first and "Saved to " + file name at the
// end. Opening the file with a viewer is the window's job.
int32_t SaveStatisticReport(const std::string& fileName, TQVData& mosaic, int32_t gridCols,
                            const RenderCallbacks& callbacks = RenderCallbacks());

}  // namespace qv
