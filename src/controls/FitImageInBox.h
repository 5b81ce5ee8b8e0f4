#pragma once
// FitImageInBox: sizes and places an image label inside a group box, keeping the picture's
// proportions (the arithmetic is FitImageInBoxBounds of imaging/RasterUtils). The label must
// be a child of the box that no layout places.
#include "raster/Bitmap24.h"

class QGroupBox;
class QLabel;

namespace qv {

// The label's bounds become the picture fitted into the box below its caption. resampled:
// display stretching is off and the label shows a copy of the picture resampled with the
// Mitchell filter (default support) to exactly the new bounds; otherwise the label shows the
// picture as it is, stretched on display. A picture without area leaves the bounds as they
// were.
void FitImageInBox(QLabel* image, QGroupBox* box, const Bitmap24& picture, bool resampled);
// The same for the picture the label shows now.
void FitImageInBox(QLabel* image, QGroupBox* box, bool resampled);

}  // namespace qv
