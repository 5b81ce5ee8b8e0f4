#pragma once
// The resampler's filter kernels and the contributor lists built from them. Shared by the
// reference resampler, the fast one and the 32-bit stretched drawing, so that all of them
// use exactly the same integer weights.
#include <cstdint>
#include <vector>

namespace qv {

// The kernel of a filter number at distance x, in single precision. Numbers outside 0..6
// are taken as Mitchell.
float ResampleKernel(int filter, float x);

struct Contributor {
  int index;   // source pixel, already mirrored and clamped into 0..size - 1
  int weight;  // in 1/256 units, never 0
};
using ContributorList = std::vector<Contributor>;

// The contributor lists of target pixels first .. first + count - 1 of one direction, for a
// source of srcSize pixels resampled to dstSize pixels (srcSize >= 1, dstSize >= 1).
// radius <= 0 means the filter's default support.
//
// The scale is (dstSize - 1) / (srcSize - 1) so that corner pixels map onto corner pixels, or
// dstSize when the source is one pixel. A single target pixel from a wider source has no
// corner-to-corner scale; it takes the scale dstSize / srcSize and is centred on the middle
// of the source, so it becomes a filtered average of the whole row or column.
//
// Weights are normally in 1/256 units. A list whose weights all round to 0 in those units (a
// reduction by several hundred times) would turn its pixel black; it is built in the finest
// units of 1/(256 * 2^m) in which its largest weight reaches 128 instead. Only the ratios of a
// list's weights matter, since every result is divided by the list's weight sum.
std::vector<ContributorList> BuildContributors(int srcSize, int dstSize, int filter, float radius, int first,
                                               int count);
inline std::vector<ContributorList> BuildContributors(int srcSize, int dstSize, int filter, float radius) {
  return BuildContributors(srcSize, dstSize, filter, radius, 0, dstSize);
}

// Σ w·v divided (truncating) by Σ w, or by 256 when Σ w is 0, clamped to 0..255.
template <typename Int>
inline uint8_t NormaliseWeighted(Int sum, Int weightSum) {
  const Int v = weightSum != 0 ? sum / weightSum : sum / 256;
  return uint8_t(v < 0 ? 0 : (v > 255 ? 255 : v));
}

}  // namespace qv
