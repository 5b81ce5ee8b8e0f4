// The plain two-pass resampler that defines the result: for every target pixel and channel,
// Σ weight × value over its contributor list, divided by the weight sum.
#include <vector>

#include "raster/Resample.h"
#include "raster/ResampleCore.h"
#include "raster/ResampleFilters.h"

namespace qv {

void ResamplePixelsReference(const PixelsIn& src, int dstWidth, int dstHeight, int filter, float radius,
                             const Rect& window, const PixelsOut& out) {
  const int channels = src.channels;
  const int winW = window.Width(), winH = window.Height();
  const auto columns = BuildContributors(src.width, dstWidth, filter, radius, window.Left, winW);
  const auto rows = BuildContributors(src.height, dstHeight, filter, radius, window.Top, winH);

  // Horizontal pass: every source row into winW target columns.
  std::vector<uint8_t> inter(static_cast<size_t>(src.height) * winW * channels);
  for (int y = 0; y < src.height; ++y) {
    const uint8_t* in = src.data + y * src.stride;
    uint8_t* mid = inter.data() + static_cast<size_t>(y) * winW * channels;
    for (int x = 0; x < winW; ++x)
      for (int ch = 0; ch < channels; ++ch) {
        int64_t sum = 0, weightSum = 0;
        for (const Contributor& c : columns[x]) {
          sum += int64_t(c.weight) * in[c.index * channels + ch];
          weightSum += c.weight;
        }
        mid[x * channels + ch] = NormaliseWeighted(sum, weightSum);
      }
  }

  // Vertical pass: every intermediate column into winH target rows.
  for (int y = 0; y < winH; ++y) {
    uint8_t* dst = out.data + y * out.stride;
    for (int x = 0; x < winW; ++x)
      for (int ch = 0; ch < channels; ++ch) {
        int64_t sum = 0, weightSum = 0;
        for (const Contributor& c : rows[y]) {
          sum += int64_t(c.weight) * inter[(static_cast<size_t>(c.index) * winW + x) * channels + ch];
          weightSum += c.weight;
        }
        dst[x * channels + ch] = NormaliseWeighted(sum, weightSum);
      }
  }
}

}  // namespace qv
