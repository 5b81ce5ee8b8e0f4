#pragma once
// Maintenance of an open library, as the library inspector offers it: deleted marks on tiles,
// marking repeated file names, removing the deleted tiles for good, the tile orders of "Make
// Mosaic from Library" and the project that shows a library as a mosaic.
//
// A tile is one unflipped record together with its flipped copies (records b x N + k of the
// flip blocks, N = UnflippedCount): marks are set and cleared on all of them together, so the
// searches, which skip deleted records, never pick a copy of a deleted tile.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/QVData.h"

namespace qv {

// True when tile k (1..UnflippedCount) is marked deleted.
bool TileDeleted(const TQVData& library, int32_t tile);
// Marks tile k and its flipped copies deleted (status 255) or restores them (status 0, the
// use count of a run starts again). Sets Modified when a status changed.
void SetTileDeleted(TQVData& library, int32_t tile, bool deleted);
// Number of tiles marked deleted.
int32_t DeletedTileCount(const TQVData& library);

// "Clean double Path+Name": marks deleted every tile whose full file name repeats the name
// of an earlier tile (exact comparison); returns how many were newly marked. The first tile
// of each name is left as it is, even when it is marked deleted itself.
int32_t MarkRepeatedNames(TQVData& library);

// "Remove deleted tiles": rewrites the table in memory without the deleted tiles and their
// flipped copies; the flip blocks of the kept tiles stay, every kept record keeps its status,
// signature, picture values, name and thumbnail. The result maps old tile numbers to new
// ones (index 0 unused; 0 for a removed tile). Raises EQuivara, changing nothing, when every
// tile is deleted (a library without tiles cannot be used). The caller saves the table.
std::vector<int32_t> RemoveDeletedTiles(TQVData& library);
// The same written to fileName (through a temporary file renamed over it) while the library
// itself stays as it is: a write that fails changes nothing, in memory or on disk. Raises
// EQuivara as above, EStreamError when the file cannot be written.
std::vector<int32_t> SaveWithoutDeletedTiles(const TQVData& library, const std::string& fileName);

// After RemoveDeletedTiles: the TileNo of every mosaic cell holding a library tile becomes
// the tile's new number; a cell whose tile was removed gets TileNo 0 (it keeps its picture,
// name and thumbnail, and counts as an empty cell for the next composition run). Custom
// pictures are left alone. Returns the number of cells changed and sets Modified then.
int32_t RenumberMosaicTiles(TQVData& mosaic, const std::vector<int32_t>& newTileNumbers);

// Tile orders of "Make Mosaic from Library".
enum class TTileOrder : int {
  AsIs = 0,           // library order
  ByPathAndName = 1,  // by full file name
  ByFileName = 2,     // by file name without folder
  ByColor = 3,        // by signature distance to a plain colour, nearest first
};
// The tiles (numbers 1..UnflippedCount) that are not deleted, in the order asked. Ties keep
// the library order. sampleRgb is 0xRRGGBB. The library's order is cleared afterwards.
std::vector<int32_t> LibraryTileOrder(TQVData& library, TTileOrder order, uint32_t sampleRgb = 0);

struct TLibraryMosaicHooks {
  std::function<void(int32_t done, int32_t total)> OnProgress;  // after each cell filled
  std::function<bool()> StopRequested;                          // polled after each cell
};

// Writes a project of cols x rows cells whose cells hold the given tiles row by row (cells
// beyond the last tile stay empty). The plan's cells are the tiles' own colours, so the
// Source view shows the library too and a later composition run puts every tile back where
// it stands. Nothing is written when stopped (returns false). Raises EQuivara when the grid
// cannot hold the cells or a tile number does not exist, EStreamError when the file cannot
// be written (an existing file is then left as it was).
bool CreateLibraryMosaic(TQVData& library, const std::string& fileName, int32_t cols, int32_t rows,
                         const std::vector<int32_t>& tiles, const TLibraryMosaicHooks& hooks = {});

}  // namespace qv
