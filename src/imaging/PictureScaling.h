#pragma once
// Plain (unfiltered) scaling of Bitmap24 pictures for views and cut-outs.
#include "base/Geometry.h"
#include "raster/Bitmap24.h"

namespace qv {

// The part src of the picture stretched to width x height by nearest neighbours (the plain
// stretched drawing of a view). Parts of src outside the picture come out black; an empty
// source or target gives an empty bitmap.
Bitmap24 StretchCopy(const Bitmap24& picture, const Rect& src, int width, int height);

// The part src of the picture copied unscaled into a new bitmap of its size (black outside
// the picture).
Bitmap24 CutCopy(const Bitmap24& picture, const Rect& src);

// The part src of the picture (clipped to it) reduced by a whole factor: each pixel is the
// average of a factor x factor block (of what is left at the right and bottom edges), the
// sides src's divided by factor and rounded down, at least 1. Factor 1 copies the part.
Bitmap24 ReduceRegion(const Bitmap24& picture, const Rect& src, int factor);

// A copy reduced by a whole factor so that neither side exceeds maxSide: each pixel is the
// average of a factor x factor block. A picture that already fits is copied. Used to show
// pictures far larger than the screen.
Bitmap24 ReduceToFit(const Bitmap24& picture, int maxSide);
// The factor ReduceToFit uses.
int ReductionFactor(int width, int height, int maxSide);

}  // namespace qv
