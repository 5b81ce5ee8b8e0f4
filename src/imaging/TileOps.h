#pragma once
// The operations that turn a library tile and a piece of the source picture into the pixels
// of one mosaic cell: cutting a (possibly mirrored) region out of a picture and resampling it,
// a fixed 3 x 3 sharpening, a colour correction that moves a tile's overall colour toward the
// colour of the source area it stands for, and blending the source area over the tile.
//
// Work is done on Bitmap32 pictures; pictures that cross the interface are Bitmap24 unless
// stated. A picture drawn scaled over a target of its own size is copied pixel for pixel
// (the Mitchell filter would otherwise soften it).
#include <cstdint>
#include <string>

#include "base/Geometry.h"
#include "raster/Bitmap24.h"
#include "raster/Bitmap32.h"

namespace qv {

// -1 -1 -1 / -1 16 -1 / -1 -1 -1, divisor 8 (the weights sum to the divisor).
extern const int SharpenKernel[9];
constexpr int kSharpenDivisor = 8;

// Filters the bitmap in place: every interior pixel's red, green and blue become the
// weighted sum of its 3 x 3 neighbourhood (row by row from the top left) divided by divisor
// (truncating toward zero) and clamped to 0..255; alpha becomes 255. All sums read the
// unfiltered picture; the outermost rows and columns keep their values, and a bitmap
// narrower or lower than 3 pixels is left alone.
void Convolve3x3(Bitmap32& bmp, const int kernel[9], int divisor);
// The plain computation of the same, which defines the result (Convolve3x3 takes a faster
// way for SharpenKernel).
void Convolve3x3Reference(Bitmap32& bmp, const int kernel[9], int divisor);

// Root-mean-square of each of red, green and blue over all pixels, rounded and clamped, as an
// opaque colour. An empty bitmap gives opaque black.
uint32_t ChannelRms(const Bitmap32& bmp);
uint32_t ChannelRms(const Bitmap24& bmp);

// Adds the offsets to every pixel, each channel clamped to 0..255; alpha becomes 255.
void ShiftChannels(Bitmap32& bmp, int dR, int dG, int dB);

// Shifts target by Round((r - t) / 100 x percent) per channel, r and t the ChannelRms of
// reference and target. percent 0 leaves the target unchanged.
void ColourCorrectToward(const Bitmap32& reference, Bitmap32& target, int percent);

// Cuts the region with corners (x1, y1), (x2, y2) out of source (columns min(x1,x2) ..
// max(x1,x2) - 1, rows likewise), resamples it to width x height with the Mitchell filter and
// mirrors it: left to right when x2 < x1, top to bottom when y2 < y1 (both: a half turn).
// Parts of the region outside the source are black; a region without area gives black.
void CropFlipResample(const Bitmap32& source, int x1, int y1, int x2, int y2, int width, int height, Bitmap32& result);

// The same from a picture file. With fastJpeg and a ".JPG"/".JPEG" file the picture is
// decoded at a reduced scale chosen by ChooseJpegScale for the wanted whole-picture size
// Round(width / divisorX x |x2 - x1|) x Round(height / divisorY x |y2 - y1|) (full size when
// the deciding side would be 0); the corners are then divided by the reduction and rounded.
// A caller that wants the region decoded just large enough for width x height passes
// divisorX = |x2 - x1|^2 / picture width (RegionDivisor below), and likewise for y.
// ".ICO" files go through IconFileToBitmap, everything else through the picture loader.
// A missing file or a decoding error gives a black picture of width x height; no error is
// raised.
void LoadPictureRegion(const std::string& fileName, int x1, int y1, int x2, int y2, double divisorX, double divisorY,
                       int width, int height, bool fastJpeg, Bitmap32& result);
// |x2 - x1|^2 / pictureSide, the divisor that makes LoadPictureRegion decode the region at
// about the cell's size; 0 (decode at full size) when the picture side is unknown.
double RegionDivisor(int c1, int c2, int pictureSide);

// CropFlipResample (from a decoded picture) or LoadPictureRegion (from a file), then
// SharpenKernel when sharpen is set; the result is width x height.
Bitmap24 FillCellFromPicture(const Bitmap32& source, int x1, int y1, int x2, int y2, double divisorX, double divisorY,
                             int width, int height, bool fastJpeg, bool sharpen);
Bitmap24 FillCellFromPicture(const std::string& fileName, int x1, int y1, int x2, int y2, double divisorX,
                             double divisorY, int width, int height, bool fastJpeg, bool sharpen);

// Inputs of ComposeCell besides the tile and the cell's target picture.
struct ComposeCellParams {
  int Width = 0;  // the cell's size in the output
  int Height = 0;
  bool Sharpen = false;
  int Alpha = 0;    // blend opacity 0..255
  int Percent = 0;  // colour correction 0..100
  // Detailed blending: the overlay is cut from FullSource over (X1, Y1)-(X2, Y2) and
  // resampled to DetailWidth x DetailHeight. Used when Detailed is set and FullSource is a
  // decoded picture (the caller passes none when the source file does not exist).
  bool Detailed = false;
  const Bitmap32* FullSource = nullptr;
  int X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
  int DetailWidth = 0;
  int DetailHeight = 0;
};

// One finished mosaic cell: the tile stretched over Width x Height with the Mitchell filter,
// sharpened when asked, colour-corrected toward sourceCell and blended with the overlay.
// The straightforward composition; the renderer gets the same pixels from MakeScaledTile
// (kept per tile and cell size) and FinishCell.
Bitmap24 ComposeCell(const Bitmap24& tile, const Bitmap24& sourceCell, const ComposeCellParams& p);
// The same from a tile already held as Bitmap32 (its filter and mode are not used).
Bitmap24 ComposeCell(const Bitmap32& tile, const Bitmap24& sourceCell, const ComposeCellParams& p);
// Step 1 and 2 of ComposeCell: the tile stretched over the cell and sharpened.
Bitmap32 ScaleTileToCell(const Bitmap32& tile, int width, int height, bool sharpen);
// The same into a bitmap the caller keeps (its pixels are replaced).
void ScaleTileToCell(const Bitmap32& tile, int width, int height, bool sharpen, Bitmap32& cell);

// A tile stretched over a cell and sharpened (steps 1 and 2 of ComposeCell), with its
// ChannelRms: what a run can keep and reuse for every cell of that size showing the tile.
struct ScaledTile {
  Bitmap24 Picture;
  uint32_t Level = 0;  // ChannelRms of Picture
};
void MakeScaledTile(const Bitmap32& tile, int width, int height, bool sharpen, ScaledTile& result);
// Step 3 of ComposeCell on a scaled tile, written into out (resized to the tile's size):
// the same pixels as CorrectAndBlendCell followed by the conversion to Bitmap24.
void FinishCell(const ScaledTile& tile, const Bitmap24& sourceCell, const ComposeCellParams& p, Bitmap24& out);
// Step 3 of ComposeCell on a cell picture that is already scaled (and sharpened): correction
// toward sourceCell when Percent > 0, then blending with the overlay when Alpha > 0.
void CorrectAndBlendCell(Bitmap32& cell, const Bitmap24& sourceCell, const ComposeCellParams& p);

// Blends overlay, stretched to picture's size with the fast linear filter, over picture with
// constant opacity alpha (0..255).
void BlendOver(Bitmap24& picture, const Bitmap24& overlay, int alpha);

// Colour-corrects a whole mosaic preview block by block toward a source picture of the same
// size: cells.Width x cells.Height blocks (the mosaic's columns and rows), or blocks of
// about 4 pixels in a direction where the cells are smaller.
void BlockColourCorrect(Bitmap24& picture, const Bitmap24& source, Size cells, int percent);

// One cell of the on-screen enhanced mosaic: the tile colour-corrected toward sourceCell,
// sourceCell blended over it with opacity alpha, then scaled with nearest-neighbour sampling
// to width x height (the cell rectangle's size). The window paints the result.
Bitmap24 DrawEnhancedCell(const Bitmap24& tile, const Bitmap24& sourceCell, int alpha, int percent, int width,
                          int height);

}  // namespace qv
