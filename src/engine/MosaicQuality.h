#pragma once
// How well a mosaic matches its plan, cell by cell: the distance a composition run and the
// optimising pass minimise, and the figures a fidelity report gives of it.
//
// A cell's distance is SignatureDistance between the cell's plan signature, taken into the
// library's colour system as the searches take it, and the signature of the library record
// the cell shows (the flipped copy its crop corners name). It is not measured against the
// signature the mosaic stores for the cell: when the library is not in the plan's colour
// system that one is worked out afresh from the tile's thumbnail, in the plan's colour
// system, and measures something the searches never looked at.
#include <cstdint>
#include <vector>

#include "engine/Signature.h"
#include "raster/Bitmap24.h"

namespace qv {

class TQVData;

// Per cell (record number - 1): its distance, or one of these for a cell without one.
constexpr int64_t kNoTileDistance = -1;       // empty cell
constexpr int64_t kCustomTileDistance = -2;   // a custom picture
constexpr int64_t kForeignTileDistance = -3;  // a tile number the library does not hold

// The plan's signature of cell (record number) in the library's colour system.
SignatureBytes CellTarget(const TQVData& library, const TQVData& plan, int32_t cell);

// The library record mosaic cell shows, of its tile number id (1..UnflippedCount): the copy
// whose crop corners the cell keeps (reversed corners carry the flip), else the unflipped tile.
int32_t RecordShownInCell(const TQVData& library, const TQVData& mosaic, int32_t cell, int32_t id);

// Every cell's distance, or its kNo/kCustom/kForeign value. Throws EQuivara when plan and
// mosaic differ in size or the library's signatures do not fit the plan's.
std::vector<int64_t> CellDistances(const TQVData& library, const TQVData& plan, const TQVData& mosaic);

// The sum over the cells holding a library tile of their distances.
uint64_t MosaicDistance(const TQVData& library, const TQVData& plan, const TQVData& mosaic);

struct TQualityFigures {
  int32_t Cells = 0;     // all cells
  int32_t Measured = 0;  // cells holding a library tile: the figures below are over these
  int32_t Empty = 0;
  int32_t Custom = 0;
  int32_t Foreign = 0;
  uint64_t Total = 0;
  double Mean = 0;
  // Nearest-rank percentiles: the smallest distance that at least p % of the cells keep to.
  int64_t P50 = 0, P90 = 0, P99 = 0;
  int64_t Largest = 0;
  int32_t DistinctTiles = 0;  // flipped copies count as their tile
  int32_t MostUses = 0;       // the largest number of cells one tile fills
};

// The figures of CellDistances' result with the tile number of each cell (the mosaic's
// TileNo). Throws EQuivara when the two differ in length.
TQualityFigures QualityFigures(const std::vector<int64_t>& distances, const std::vector<int32_t>& tileNos);

// The nearest-rank p-th percentile (0 < p <= 100) of values sorted ascending; 0 when empty.
int64_t Percentile(const std::vector<int64_t>& sorted, double p);

// The heat map of a grid of cols x rows cells' distances (imaging/HeatMap.h): coloured by the
// square root of the distance (the root-mean-square byte difference, which the eye follows more
// evenly than its square) up to the root of top, where the ramp reaches red; cells without a
// distance grey; HeatMapCellPixels' cells.
Bitmap24 DistanceHeatMap(const std::vector<int64_t>& distances, int32_t cols, int32_t rows, int64_t top);

}  // namespace qv
