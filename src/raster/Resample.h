#pragma once
// The filtered two-pass resampler: contributor lists of (source index, integer weight in
// 1/256 units) built once per target column and row, a horizontal pass into an
// intermediate picture, then a vertical pass.
#include <string>

#include "raster/Bitmap24.h"

namespace qv {

// Filter numbers as the program stores and passes them.
enum ResampleFilter : int {
  kFilterBox = 0,
  kFilterTriangle = 1,
  kFilterHermite = 2,
  kFilterBell = 3,
  kFilterBSpline = 4,
  kFilterLanczos3 = 5,
  kFilterMitchell = 6,
};

// "Box", "Triangle", "Hermite", "Bell", "B-Spline", "Lanczos3", "Mitchell".
const char* ResampleFilterName(int filter);
// The filter's default support (radius).
float ResampleFilterSupport(int filter);

// Resamples the whole source to width x height. radius 0 (or below) = the filter's default
// support. Throws EPictureError("Source bitmap too small") for a source below 1 x 1; a target
// of size 0 gives an empty bitmap. A target of 1 pixel in a direction is a filtered average
// of the whole source row or column (see BuildContributors in ResampleFilters.h). The
// contributor lists of the last few shapes are kept per thread, so repeating a shape is cheap.
Bitmap24 Resample(const Bitmap24& src, int width, int height, int filter, float radius = 0);

// The portable, straightforward version that defines the result; Resample must equal it.
Bitmap24 ResampleReference(const Bitmap24& src, int width, int height, int filter, float radius = 0);

}  // namespace qv
