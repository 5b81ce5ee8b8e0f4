#pragma once
// Tile signatures: a GridW x GridH grid of 3-byte colour cells, row by row, compared by the
// sum of squared byte differences.
#include <cstdint>
#include <vector>

#include "raster/Bitmap24.h"

namespace qv {

// ColorSystem codes.
enum : uint8_t { kColorYCC = 1, kColorRGB = 2, kColorY = 3 };

using SignatureBytes = std::vector<uint8_t>;

// The lightness curve f(c): 0 for 0, else (116 (c/255)^(1/3) - 16) / 100 * 255.
double LightnessCurve(int c);
// Y', Cb', Cr' of a pixel (rounded half to even and clamped).
void RgbToYcc(uint8_t r, uint8_t g, uint8_t b, uint8_t out[3]);
// The inverse of RgbToYcc up to its rounding: the inverse matrix, then for each channel the
// value whose lightness curve value lies nearest. (DrawSignature's YCC pictures do not undo
// the curve; they are for looking at, this is for computing with.)
void YccToRgb(const uint8_t ycc[3], uint8_t& r, uint8_t& g, uint8_t& b);

// Signature of a bitmap that already has the grid size (one cell per pixel).
SignatureBytes SignatureOf(const Bitmap24& bmp, int colorSystem);
// A code-2 signature (B, G, R cells) converted to code 1, cell by cell.
SignatureBytes ConvertRgbToYcc(const uint8_t* src, int length);
// Fills a GridW x GridH bitmap (already sized) from a signature.
void DrawSignature(const uint8_t* sig, int colorSystem, Bitmap24& bmp);
// Fills a GridW x GridH bitmap (already sized) with pixels whose signature in colorSystem
// (YCC or RGB) is sig again, up to rounding: what a tile without a thumbnail is reduced from.
void SignaturePixels(const uint8_t* sig, int colorSystem, Bitmap24& bmp);

// Sum of squared differences over n bytes, as an exact integer and as the float64 the
// searches compare.
uint64_t SignatureDistanceInt(const uint8_t* a, const uint8_t* b, int n);
double SignatureDistance(const uint8_t* a, const uint8_t* b, int n);

// Detail measure of a plan cell: Round(D0 / n) + Round(D1 / n) + Round(D2 / n).
double DetailOf(const uint8_t* s, int n);

}  // namespace qv
