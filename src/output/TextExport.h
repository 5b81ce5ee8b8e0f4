#pragma once
// A plain-text list of the tile file of every cell of the render area, one line
// "%4s, %4s, %s" (absolute row + 1, column + 1, tile file name) per cell, CR LF line ends.
#include <string>

#include "output/Renderer.h"
#include "output/WriterCommon.h"

namespace qv {

// One line without its line end.
std::string TextListLine(int32_t row, int32_t col, const std::string& tileName);

// Writes ChangeFileExt(fileName, ".txt") (through a temporary file renamed at the end); the
// stop request is cleared at the start. No picture is decoded. After a stop the file keeps
// the lines written so far; the message is "Saved to " + file name either way.
WriteOutcome SaveText(const std::string& fileName, const RenderSource& source, const RenderArea& area,
                      const RenderCallbacks& callbacks);

}  // namespace qv
