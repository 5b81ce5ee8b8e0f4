#pragma once
// The mosaic as a web gallery: one page with a borderless table of small cell pictures
// (folder tmb/ next to the page), each linked to a copy of its tile's picture file (folder
// big/).
#include <string>

#include "base/Product.h"
#include "output/Renderer.h"
#include "output/WriterCommon.h"

namespace qv {

// Writes ChangeFileExt(fileName, ".html") and the pictures. The stop request is cleared at
// the start. Cells are composed from the stored pictures (UseOriginals, borders, grid,
// resolution and JPEG quality are not used) and saved as JPEG at quality 90; a small
// picture or copy that cannot be written is skipped, the page still names it, and once the
// page is saved the run raises EStreamError saying how many are missing. Every distinct
// tile file that exists is copied to big/ (once per run, replacing a file of that name only
// once the copy is complete). File names go into the
// links percent-encoded and HTML-escaped, so every link leads to the file it names, whatever
// characters the name holds. After a stop the page is closed well formed with the cells
// written so far. The page is written under a temporary name and renamed at the end, so an
// error leaves an earlier page of that name as it was. Message "Saved to " + page name.
WriteOutcome SaveHTML(const std::string& fileName, const RenderSource& source, const RenderSettings& settings,
                      const RenderArea& area, const RenderCallbacks& callbacks);

}  // namespace qv
