#pragma once
// Every cell of the render area as a BMP file of its own, at the size the cell has in the
// full output: base name + "-%.3d-%.3d-%s" (absolute row + 1, column + 1, the tile's file name
// without folder with the extension ".bmp").
#include <string>

#include "output/Renderer.h"
#include "output/WriterCommon.h"

namespace qv {

// The file name of one cell: ChangeFileExt(fileName, "") + "-" + CellFileName(row, col, tile, ".bmp").
std::string SequenceFileName(const std::string& fileName, int32_t row, int32_t col, const std::string& tileName);

// Writes the files; the stop request is cleared at the start. With UseOriginals, a missing tile file and an empty cell
// are asked about; "Replace" and "Auto" give the stored picture stretched to the cell without sharpening, correction or
// blending, "Auto replace with source" the cell's region of the source picture. Each file is complete when written; a
// file that cannot be written ends the export with its error, the files before it stay. Messages: "Sequence saved to
// files: "
// + base name + "-ROW-COL-" + the last cell's tile name (extension ".bmp"), or
// "Procedure cancelled by user" after a stop.
WriteOutcome SaveSequence(const std::string& fileName, const RenderSource& source, const RenderSettings& settings,
                          const RenderArea& area, const RenderCallbacks& callbacks);

}  // namespace qv
