#pragma once
// What the windows that take a source picture share (the source image setup and the wizard):
// the picture open dialog's filter and the project made from the framed part of a picture.
#include <QString>
#include <string>

#include "base/Geometry.h"

namespace qv {

class Bitmap24;
class TQVData;
struct TSourceImageRecord;

// The open dialog's filter: every readable type together, then each type by its description.
QString PictureFilter();

// Makes a new project file on the open library from source.SourceRect of picture: the framed
// part is cut out (a large part reduced by a whole factor on the way, so that little memory
// is needed beyond the picture's own; the whole picture is passed without a copy) and the
// engine creates the project of cells.Width x cells.Height cells. Raises what CreateProject
// raises. Safe to run off the window thread while nothing else uses the library or picture.
void CreateProjectFromPicture(TQVData& library, const std::string& projectFile, const Bitmap24& picture,
                              const TSourceImageRecord& source, Size cells);

}  // namespace qv
