#include "engine/MosaicQuality.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "base/Errors.h"
#include "engine/QVData.h"
#include "imaging/HeatMap.h"

namespace qv {

SignatureBytes CellTarget(const TQVData& library, const TQVData& plan, int32_t cell) {
  const uint8_t* sig = plan.RecordSignature(cell);
  return library.ColorSystem != plan.ColorSystem ? ConvertRgbToYcc(sig, library.SigSize)
                                                 : SignatureBytes(sig, sig + library.SigSize);
}

int32_t RecordShownInCell(const TQVData& library, const TQVData& mosaic, int32_t cell, int32_t id) {
  const TTileInfo held = mosaic.RecordInfo(cell);
  for (int b = 0; b < 4; ++b) {
    const int64_t n = int64_t(b) * library.UnflippedCount + id;
    if (n > library.Count) break;
    const TTileInfo info = library.RecordInfo(int32_t(n));
    if (info.CropLeft == held.CropLeft && info.CropTop == held.CropTop && info.CropRight == held.CropRight &&
        info.CropBottom == held.CropBottom)
      return int32_t(n);
  }
  return id;
}

std::vector<int64_t> CellDistances(const TQVData& library, const TQVData& plan, const TQVData& mosaic) {
  if (plan.Count != mosaic.Count)
    throw EQuivara("A plan of " + std::to_string(plan.Count) + " cells and a mosaic of " +
                   std::to_string(mosaic.Count) + " cells are not one project");
  if (plan.GridW != library.GridW || plan.GridH != library.GridH || plan.SigSize != library.SigSize)
    throw EQuivara("The library's signature grid does not fit the project's");
  std::vector<int64_t> d(size_t(std::max(plan.Count, 0)), kNoTileDistance);
  for (int32_t c = 1; c <= plan.Count; ++c) {
    const int32_t id = mosaic.RecordTileNo(c);
    int64_t& v = d[size_t(c - 1)];
    if (id <= 0) continue;
    if (id == kCustomPictureTileNo) {
      v = kCustomTileDistance;
    } else if (id > library.UnflippedCount) {
      v = kForeignTileDistance;
    } else {
      const SignatureBytes target = CellTarget(library, plan, c);
      const int32_t n = RecordShownInCell(library, mosaic, c, id);
      v = int64_t(SignatureDistanceInt(target.data(), library.RecordSignature(n), library.SigSize));
    }
  }
  return d;
}

uint64_t MosaicDistance(const TQVData& library, const TQVData& plan, const TQVData& mosaic) {
  uint64_t total = 0;
  for (int64_t v : CellDistances(library, plan, mosaic))
    if (v >= 0) total += uint64_t(v);
  return total;
}

int64_t Percentile(const std::vector<int64_t>& sorted, double p) {
  if (sorted.empty()) return 0;
  const double rank = std::ceil(p / 100.0 * double(sorted.size()));
  const size_t i = size_t(std::clamp(rank, 1.0, double(sorted.size()))) - 1;
  return sorted[i];
}

TQualityFigures QualityFigures(const std::vector<int64_t>& distances, const std::vector<int32_t>& tileNos) {
  if (distances.size() != tileNos.size()) throw EQuivara("Distances and tile numbers of different mosaics");
  TQualityFigures f;
  f.Cells = int32_t(distances.size());
  std::vector<int64_t> measured;
  measured.reserve(distances.size());
  std::unordered_map<int32_t, int32_t> uses;
  for (size_t i = 0; i < distances.size(); ++i) {
    const int64_t v = distances[i];
    if (v == kNoTileDistance) ++f.Empty;
    if (v == kCustomTileDistance) ++f.Custom;
    if (v == kForeignTileDistance) ++f.Foreign;
    if (v < 0) continue;
    measured.push_back(v);
    f.Total += uint64_t(v);
    f.MostUses = std::max(f.MostUses, ++uses[tileNos[i]]);
  }
  f.Measured = int32_t(measured.size());
  f.DistinctTiles = int32_t(uses.size());
  if (measured.empty()) return f;
  std::sort(measured.begin(), measured.end());
  f.Mean = double(f.Total) / double(measured.size());
  f.P50 = Percentile(measured, 50);
  f.P90 = Percentile(measured, 90);
  f.P99 = Percentile(measured, 99);
  f.Largest = measured.back();
  return f;
}

Bitmap24 DistanceHeatMap(const std::vector<int64_t>& distances, int32_t cols, int32_t rows, int64_t top) {
  std::vector<double> roots(distances.size());
  for (size_t i = 0; i < distances.size(); ++i) roots[i] = distances[i] < 0 ? -1.0 : std::sqrt(double(distances[i]));
  return HeatMapPicture(roots, cols, rows, HeatMapCellPixels(cols, rows), std::sqrt(double(std::max<int64_t>(top, 0))));
}

}  // namespace qv
