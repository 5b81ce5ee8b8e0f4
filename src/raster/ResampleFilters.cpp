#include "raster/ResampleFilters.h"

#include <algorithm>
#include <cmath>

#include "base/Rounding.h"
#include "raster/Resample.h"

namespace qv {

namespace {

constexpr float kPi = 3.14159265358979323846f;

float Sinc(float t) {
  if (t == 0.0f) return 1.0f;
  t *= kPi;
  return std::sin(t) / t;
}

int NormalisedFilter(int filter) {
  return filter >= kFilterBox && filter <= kFilterMitchell ? filter : kFilterMitchell;
}

}  // namespace

const char* ResampleFilterName(int filter) {
  static const char* const kNames[] = {"Box", "Triangle", "Hermite", "Bell", "B-Spline", "Lanczos3", "Mitchell"};
  return kNames[NormalisedFilter(filter)];
}

float ResampleFilterSupport(int filter) {
  static const float kSupport[] = {0.5f, 1.0f, 1.0f, 1.5f, 2.0f, 3.0f, 2.0f};
  return kSupport[NormalisedFilter(filter)];
}

float ResampleKernel(int filter, float x) {
  const float ax = std::fabs(x);
  switch (NormalisedFilter(filter)) {
    case kFilterBox:
      return (x > -0.5f && x <= 0.5f) ? 1.0f : 0.0f;
    case kFilterTriangle:
      return ax < 1.0f ? 1.0f - ax : 0.0f;
    case kFilterHermite:
      return ax < 1.0f ? (2.0f * ax - 3.0f) * x * x + 1.0f : 0.0f;
    case kFilterBell:
      if (ax < 0.5f) return 0.75f - x * x;
      if (ax < 1.5f) {
        const float t = ax - 1.5f;
        return 0.5f * t * t;
      }
      return 0.0f;
    case kFilterBSpline:
      if (ax < 1.0f) return 0.5f * ax * ax * ax - x * x + 2.0f / 3.0f;
      if (ax < 2.0f) {
        const float t = 2.0f - ax;
        return t * t * t / 6.0f;
      }
      return 0.0f;
    case kFilterLanczos3:
      return ax < 3.0f ? Sinc(x) * Sinc(x / 3.0f) : 0.0f;
    default:  // Mitchell-Netravali, B = C = 1/3
      if (ax < 1.0f) return (7.0f * ax * ax * ax - 12.0f * x * x + 16.0f / 3.0f) / 6.0f;
      if (ax < 2.0f) return (-7.0f / 3.0f * ax * ax * ax + 12.0f * x * x - 20.0f * ax + 32.0f / 3.0f) / 6.0f;
      return 0.0f;
  }
}

std::vector<ContributorList> BuildContributors(int srcSize, int dstSize, int filter, float radius, int first,
                                               int count) {
  const float r = radius > 0.0f ? radius : ResampleFilterSupport(filter);
  const bool singleTarget = srcSize > 1 && dstSize == 1;
  float scale;
  if (srcSize == 1 || singleTarget)
    scale = float(dstSize) / float(srcSize);
  else
    scale = float(dstSize - 1) / float(srcSize - 1);

  auto sourceIndex = [srcSize](int j) {
    int n = j < 0 ? -j : (j >= srcSize ? 2 * srcSize - 1 - j : j);  // mirror at the edges
    return n < 0 ? 0 : (n >= srcSize ? srcSize - 1 : n);            // sources narrower than the reach
  };

  std::vector<ContributorList> lists(count > 0 ? count : 0);
  std::vector<Contributor> raw;  // index with the weight in 1/256 units before rounding
  std::vector<double> rawWeight;
  for (int n = 0; n < count; ++n) {
    const int i = first + n;
    const float centre = singleTarget ? float(srcSize - 1) * 0.5f : float(i) / scale;
    raw.clear();
    rawWeight.clear();
    if (scale >= 1.0f) {
      const int lo = int(std::floor(centre - r)), hi = int(std::ceil(centre + r));
      for (int j = lo; j <= hi; ++j) {
        raw.push_back({sourceIndex(j), 0});
        rawWeight.push_back(double(ResampleKernel(filter, centre - float(j)) * 256.0f));
      }
    } else {
      const float reach = r / scale;
      const int lo = int(std::floor(centre - reach)), hi = int(std::ceil(centre + reach));
      for (int j = lo; j <= hi; ++j) {
        raw.push_back({sourceIndex(j), 0});
        rawWeight.push_back(double(ResampleKernel(filter, (centre - float(j)) * scale) * scale * 256.0f));
      }
    }

    double largest = 0.0;
    for (double w : rawWeight) largest = std::max(largest, std::fabs(w));
    double unit = 1.0;
    if (largest > 0.0 && largest <= 0.5)  // every weight would round to 0
      while (largest * unit < 128.0) unit *= 2.0;

    ContributorList& list = lists[n];
    list.reserve(raw.size());
    for (size_t k = 0; k < raw.size(); ++k) {
      const int w = RoundHalfEven(rawWeight[k] * unit);
      if (w != 0) list.push_back({raw[k].index, w});
    }
  }
  return lists;
}

}  // namespace qv
