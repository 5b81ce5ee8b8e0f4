// Maintenance of an open library: deleted marks, repeated names, removing deleted tiles, the
// tile orders of "Make Mosaic from Library" and the project made from them.
#include "engine/LibraryMaintenance.h"

#include <algorithm>
#include <cstdio>
#include <unordered_map>
#include <unordered_set>

#include "base/Errors.h"
#include "engine/StoredThumbnail.h"
#include "imaging/RasterUtils.h"
#include "raster/Resample.h"

namespace qv {
namespace {

// Number of record blocks (the unflipped tiles and each flip block).
int32_t BlockCount(const TQVData& t) { return t.UnflippedCount > 0 ? t.Count / t.UnflippedCount : 0; }

void CheckTile(const TQVData& t, int32_t tile) {
  if (tile < 1 || tile > t.UnflippedCount)
    throw EQuivara("Tile " + std::to_string(tile) + " is not in the library (" + std::to_string(t.UnflippedCount) +
                   " tiles)");
}

// Removes a file when the scope ends.
struct TempFile {
  std::string Name;
  ~TempFile() {
    if (!Name.empty()) std::remove(Name.c_str());
  }
};

}  // namespace

bool TileDeleted(const TQVData& library, int32_t tile) {
  CheckTile(library, tile);
  return library.RecordStatus(tile) > kMaxUseCount;
}

void SetTileDeleted(TQVData& library, int32_t tile, bool deleted) {
  CheckTile(library, tile);
  const int32_t blocks = BlockCount(library);
  for (int32_t b = 0; b < blocks; ++b) {
    const int32_t n = b * library.UnflippedCount + tile;
    const uint8_t old = library.RecordStatus(n);
    const uint8_t status = deleted ? kDeletedStatus : (old > kMaxUseCount ? 0 : old);
    if (status == old) continue;
    library.SetRecordStatus(n, status);
    library.Modified = true;
  }
  // The current record shows its new mark.
  if (library.RecNo >= 1 && library.RecNo <= library.Count && library.TileNumberOf(library.RecNo) == tile)
    library.StatusByte = library.RecordStatus(library.RecNo);
}

int32_t DeletedTileCount(const TQVData& library) {
  int32_t n = 0;
  for (int32_t k = 1; k <= library.UnflippedCount; ++k)
    if (library.RecordStatus(k) > kMaxUseCount) ++n;
  return n;
}

int32_t MarkRepeatedNames(TQVData& library) {
  std::unordered_set<std::string> seen;
  seen.reserve(size_t(std::max(library.UnflippedCount, 0)));
  int32_t marked = 0;
  for (int32_t k = 1; k <= library.UnflippedCount; ++k) {
    if (seen.insert(library.RecordName(k)).second) continue;
    if (TileDeleted(library, k)) continue;
    SetTileDeleted(library, k, true);
    ++marked;
  }
  return marked;
}

namespace {

// The sections of the library without its deleted tiles and their flipped copies.
struct TKeptTable {
  std::vector<int32_t> NewNumber;  // old tile number -> new one, 0 for a removed tile
  int32_t Kept = 0;
  ByteSection Text, Data;
  FileSection Thumb;
};

TKeptTable WithoutDeletedTiles(const TQVData& library) {
  if (!library.TableIsOpen() || !library.SectionsHoldTable()) throw EQuivara("No library is open");
  const int32_t n = library.UnflippedCount, blocks = BlockCount(library);
  TKeptTable k;
  k.NewNumber.assign(size_t(n) + 1, 0);
  for (int32_t tile = 1; tile <= n; ++tile)
    if (library.RecordStatus(tile) <= kMaxUseCount) k.NewNumber[size_t(tile)] = ++k.Kept;
  if (k.Kept == 0)
    throw EQuivara(
        "Every tile of the library is marked deleted.\rA library needs at least one tile: restore some "
        "of them first.");
  k.Text.Append(kTextTag, kTagSize);
  k.Data.Append(kDataTag, kTagSize);
  k.Thumb.Append(kThumbTag, kTagSize);
  const int32_t slotSize = library.SlotSize();
  // A flipped copy whose thumbnail could not be flipped shares its tile's entry: it shares
  // the copied entry too.
  std::unordered_map<int32_t, int32_t> thumbMoved;
  for (int32_t b = 0; b < blocks; ++b) {
    for (int32_t tile = 1; tile <= n; ++tile) {
      if (k.NewNumber[size_t(tile)] == 0) continue;
      const int32_t rec = b * n + tile;
      TTileInfo info = library.RecordInfo(rec);
      if (info.ThumbOffset != 0) {
        auto found = thumbMoved.find(info.ThumbOffset);
        if (found != thumbMoved.end()) {
          info.ThumbOffset = found->second;
        } else {
          const std::string jpeg = library.ThumbEntry(info.ThumbOffset);
          if (k.Thumb.Size() + 4 + int64_t(jpeg.size()) > INT32_MAX)
            throw EStreamError("Library too large for 32-bit section offsets");
          const int32_t at = static_cast<int32_t>(k.Thumb.Size());
          k.Thumb.AppendI32(static_cast<int32_t>(jpeg.size()));
          k.Thumb.Append(jpeg);
          thumbMoved.emplace(info.ThumbOffset, at);
          info.ThumbOffset = at;
        }
      }
      if (k.Data.Size() + slotSize > INT32_MAX ||
          k.Text.Size() + kTileInfoFixedSize + int64_t(info.Name.size()) > INT32_MAX)
        throw EStreamError("Library too large for 32-bit section offsets");
      info.SlotOffset = static_cast<int32_t>(k.Data.Size());
      const int32_t textAt = static_cast<int32_t>(k.Text.Size());
      k.Text.Append(EncodeTileInfo(info));
      k.Data.AppendU8(library.RecordStatus(rec));
      k.Data.AppendI32(textAt);
      k.Data.Append(library.RecordSignature(rec), library.SigSize);
    }
  }
  return k;
}

// Makes the kept sections the table of t, with the counts that go with them.
void AdoptKept(TQVData& t, TKeptTable& k, int32_t blocks) {
  t.TextSection.Swap(k.Text);
  t.DataSection.Swap(k.Data);
  t.ThumbSection.Swap(k.Thumb);
  t.UnflippedCount = k.Kept;
  t.Count = k.Kept * blocks;
  t.ClearOrder();
}

}  // namespace

std::vector<int32_t> RemoveDeletedTiles(TQVData& library) {
  TKeptTable k = WithoutDeletedTiles(library);
  if (k.Kept == library.UnflippedCount) return k.NewNumber;
  AdoptKept(library, k, BlockCount(library));
  library.Modified = true;
  library.GoRecord(1);
  return k.NewNumber;
}

std::vector<int32_t> SaveWithoutDeletedTiles(const TQVData& library, const std::string& fileName) {
  TKeptTable k = WithoutDeletedTiles(library);
  TQVData copy;
  copy.SigSize = library.SigSize;
  copy.FormatByte = library.FormatByte;
  copy.ColorSystem = library.ColorSystem;
  copy.FilterCode = library.FilterCode;
  copy.HeaderReserved = library.HeaderReserved;
  std::copy(library.FlipKinds, library.FlipKinds + 3, copy.FlipKinds);
  copy.PropX = library.PropX;
  copy.PropY = library.PropY;
  copy.GridW = library.GridW;
  copy.GridH = library.GridH;
  AdoptKept(copy, k, BlockCount(library));
  if (!copy.SaveLibraryFile(fileName)) throw EStreamError("Cannot write file " + fileName);
  return k.NewNumber;
}

int32_t RenumberMosaicTiles(TQVData& mosaic, const std::vector<int32_t>& newTileNumbers) {
  int32_t changed = 0;
  for (int32_t c = 1; c <= mosaic.Count; ++c) {
    const int32_t at = mosaic.RecordTextOffset(c) + kTileInfoTileNoAt;
    const int32_t old = mosaic.TextSection.ReadI32(at);
    if (old < 1 || old >= kCustomPictureTileNo) continue;
    const int32_t now = size_t(old) < newTileNumbers.size() ? newTileNumbers[size_t(old)] : 0;
    if (now == old) continue;
    mosaic.TextSection.WriteI32(at, now);
    ++changed;
  }
  if (changed > 0) {
    mosaic.Modified = true;
    if (mosaic.RecNo >= 1 && mosaic.RecNo <= mosaic.Count) mosaic.GoRecord(mosaic.RecNo);
  }
  return changed;
}

std::vector<int32_t> LibraryTileOrder(TQVData& library, TTileOrder order, uint32_t sampleRgb) {
  std::vector<int32_t> tiles;
  tiles.reserve(size_t(std::max(library.UnflippedCount, 0)));
  auto take = [&](int32_t rec) {
    if (rec >= 1 && rec <= library.UnflippedCount && library.RecordStatus(rec) <= kMaxUseCount) tiles.push_back(rec);
  };
  if (order == TTileOrder::AsIs || library.UnflippedCount < 1) {
    for (int32_t k = 1; k <= library.UnflippedCount; ++k) take(k);
    return tiles;
  }
  if (order == TTileOrder::ByColor) {
    Bitmap24 plain(library.GridW, library.GridH);
    for (int y = 0; y < plain.Height(); ++y)
      for (int x = 0; x < plain.Width(); ++x) {
        uint8_t* p = plain.Pixel(x, y);
        p[0] = uint8_t(sampleRgb);
        p[1] = uint8_t(sampleRgb >> 8);
        p[2] = uint8_t(sampleRgb >> 16);
      }
    const SignatureBytes sig = SignatureOf(plain, library.ColorSystem);
    if (sig.size() != size_t(library.SigSize))
      throw EQuivara("The library's colour system " + library.ColorSystemName() + " has no colour order");
    library.OrderBySignature(sig.data());
  } else {
    library.OrderByName(order == TTileOrder::ByFileName);
  }
  for (int32_t i = 0; i < library.OrderCount; ++i) take(library.RecordNumberAt(library.OrderEntrySlot(i)));
  library.ClearOrder();
  return tiles;
}

namespace {

// The tile's picture at the signature grid's size, for the plan: its thumbnail reduced as
// the build reduces it, or its stored colours when the thumbnail is missing.
Bitmap24 TileCells(const TQVData& library, int32_t tile) {
  const std::string jpeg = library.RecordThumbJpeg(tile);
  if (!jpeg.empty()) {
    try {
      Bitmap24 thumb = DecodeStoredThumbnail(jpeg);
      return Resample(thumb, library.GridW, library.GridH, ResampleFilterFromCode(library.FilterCode));
    } catch (const EPictureError&) {
    }
  }
  Bitmap24 cells(library.GridW, library.GridH);
  SignaturePixels(library.RecordSignature(tile), library.ColorSystem, cells);
  return cells;
}

}  // namespace

bool CreateLibraryMosaic(TQVData& library, const std::string& fileName, int32_t cols, int32_t rows,
                         const std::vector<int32_t>& tiles, const TLibraryMosaicHooks& hooks) {
  if (!library.TableIsOpen()) throw EQuivara("No library is open");
  if (cols < 1 || rows < 1 || int64_t(cols) * rows < int64_t(tiles.size()))
    throw EQuivara("A grid of " + std::to_string(cols) + " x " + std::to_string(rows) + " cells cannot hold " +
                   std::to_string(tiles.size()) + " tiles");
  for (int32_t k : tiles) CheckTile(library, k);

  // The source picture: every cell at the signature grid's size, so the project's resampling
  // leaves it as it is; cells beyond the last tile are mid grey.
  const int gw = library.GridW, gh = library.GridH;
  if (int64_t(cols) * gw * int64_t(rows) * gh > (int64_t(1) << 30))
    throw EQuivara("A grid of " + std::to_string(cols) + " x " + std::to_string(rows) + " cells is too large");
  Bitmap24 source(cols * gw, rows * gh);
  for (int y = 0; y < source.Height(); ++y) std::fill(source.Row(y), source.Row(y) + size_t(source.Width()) * 3, 128);
  for (size_t i = 0; i < tiles.size(); ++i) {
    const Bitmap24 cells = TileCells(library, tiles[i]);
    const int x0 = int(i % size_t(cols)) * gw, y0 = int(i / size_t(cols)) * gh;
    for (int y = 0; y < gh; ++y) std::copy(cells.Row(y), cells.Row(y) + size_t(gw) * 3, source.Pixel(x0, y0 + y));
  }

  TempFile created{MakeTempFileName("qv")};
  library.CreateProject(created.Name, source, TSourceImageRecord{}, Size{cols, rows});
  TQVData plan, mosaic;
  if (!plan.OpenProject(created.Name, mosaic)) throw EStreamError("Cannot read " + created.Name);

  // Placing copies the tiles' thumbnails, which the cursor reads only while it shows them.
  struct ShowThumbsScope {
    TQVData& t;
    bool was = t.ShowThumbs;
    int32_t recNo = t.RecNo;
    ~ShowThumbsScope() {
      t.ShowThumbs = was;
      if (recNo >= 1 && recNo <= t.Count) t.GoRecord(recNo);
    }
  } scope{library};
  library.ShowThumbs = true;
  const int32_t total = cols * rows;
  for (int32_t c = 1; c <= total; ++c) {
    plan.GoRecord(c);
    mosaic.RestoreCellFromPlan(c, plan);
    if (size_t(c) <= tiles.size()) {
      library.GoRecord(tiles[size_t(c - 1)]);
      if (!mosaic.PlaceTile(c, library, true))
        throw EQuivara("The tile could not be placed into cell " + std::to_string(c));
    }
    if (hooks.OnProgress) hooks.OnProgress(c, total);
    if (hooks.StopRequested && hooks.StopRequested()) return false;
  }
  mosaic.CompactSections();
  plan.SaveProject(fileName, mosaic, library);
  return true;
}

}  // namespace qv
