// TQVData: writing into mosaic cells (a library tile, a custom picture, the plan's own cell)
// and priming the used-tile table of a composition run.
//
// A placement appends a new TileInfo and thumbnail entry and overwrites the cell's slot; the
// old TileInfo and thumbnail stay behind, unreferenced, until CompactSections.
#include <algorithm>
#include <cstring>

#include "base/Errors.h"
#include "codecs/JpegCodec.h"
#include "engine/QVData.h"
#include "raster/Resample.h"

namespace qv {
namespace {

TTileInfo InfoOf(const TPictureValues& v, const std::string& name) {
  TTileInfo info;
  info.PicWidth = static_cast<uint16_t>(v.PicWidth);
  info.PicHeight = static_cast<uint16_t>(v.PicHeight);
  info.CropLeft = static_cast<uint16_t>(v.CropLeft);
  info.CropTop = static_cast<uint16_t>(v.CropTop);
  info.CropRight = static_cast<uint16_t>(v.CropRight);
  info.CropBottom = static_cast<uint16_t>(v.CropBottom);
  info.Name = name;
  return info;
}

// The current record's six picture values and name.
TTileInfo InfoOf(const TQVData& t) {
  return InfoOf({t.PicWidth, t.PicHeight, t.CropLeft, t.CropTop, t.CropRight, t.CropBottom}, t.Name);
}

// The thumbnail a placement copies: the record's JPEG as read, else its picture encoded
// (into encoded).
const std::string& ThumbnailOf(const TQVData& from, int quality, std::string& encoded) {
  if (!from.ThumbJpeg.empty()) return from.ThumbJpeg;
  encoded = EncodeJpeg(from.ThumbBitmap, quality);
  return encoded;
}

// True when t has a loaded current record with a signature of sigSize bytes.
bool HasCurrentRecord(const TQVData& t) {
  return t.TableIsOpen() && t.RecNo >= 1 && t.RecNo <= t.Count && t.Signature.size() == size_t(t.SigSize);
}

}  // namespace

bool TQVData::WriteCell(int32_t cell, uint8_t status, const uint8_t* signature, TTileInfo info,
                        const std::string& jpeg) {
  const int64_t slot = SlotOffset(cell);
  info.SlotOffset = static_cast<int32_t>(slot + kSlotHeadSize);
  info.CellRow = 0;
  info.Detail = 0;
  const int32_t thumbAt = AppendThumbEntry(jpeg);
  info.ThumbOffset = thumbAt;
  const int32_t textAt = AppendTileInfo(info);
  WriteSlot(cell, status, textAt, signature);
  Modified = true;
  if (RecNo == cell) GoRecord(cell);  // the current record shows what the cell now holds
  return true;
}

bool TQVData::PlaceTile(int32_t cell, const TQVData& library, bool mapToUnflipped) {
  if (library.GridW != GridW || library.GridH != GridH) return false;
  if (cell < 1 || cell > Count || !SectionsHoldTable() || !HasCurrentRecord(library)) return false;
  const SignatureBytes sig =
      library.ColorSystem != ColorSystem ? library.ThumbSignature(GridW, GridH, ColorSystem) : library.Signature;
  TTileInfo info = InfoOf(library);
  info.TileNo = mapToUnflipped ? library.TileNumberOf(library.RecNo) : library.RecNo;
  std::string encoded;
  const std::string& jpeg = ThumbnailOf(library, JpegQuality, encoded);
  return WriteCell(cell, library.PicDeleted() ? kDeletedStatus : 0, sig.data(), std::move(info), jpeg);
}

bool TQVData::PlaceCustomPicture(int32_t cell, const Bitmap24& bitmap, int32_t tileNo, const TPictureValues& values,
                                 const std::string& name) {
  if (cell < 1 || cell > Count || !SectionsHoldTable() || bitmap.Empty()) return false;
  const SignatureBytes sig = SignatureOf(Resample(bitmap, GridW, GridH, kFilterMitchell), ColorSystem);
  if (sig.size() != size_t(SigSize)) return false;  // a colour system without signatures
  TTileInfo info = InfoOf(values, name);
  info.TileNo = tileNo;
  const std::string jpeg = EncodeJpeg(bitmap, JpegQuality);
  return WriteCell(cell, 0, sig.data(), std::move(info), jpeg);
}

bool TQVData::RestoreCellFromPlan(int32_t cell, const TQVData& plan) {
  if (plan.GridW != GridW || plan.GridH != GridH) return false;
  if (cell < 1 || cell > Count || !SectionsHoldTable() || !HasCurrentRecord(plan)) return false;
  TTileInfo info = InfoOf(plan);
  info.TileNo = 0;
  std::string encoded;
  const std::string& jpeg = ThumbnailOf(plan, JpegQuality, encoded);
  return WriteCell(cell, plan.PicDeleted() ? kDeletedStatus : 0, plan.Signature.data(), std::move(info), jpeg);
}

bool SameCellContent(const TCellRecord& a, const TCellRecord& b) {
  const TTileInfo& x = a.Info;
  const TTileInfo& y = b.Info;
  return a.Status == b.Status && a.Signature == b.Signature && a.HasThumbnail == b.HasThumbnail &&
         a.ThumbJpeg == b.ThumbJpeg && x.TileNo == y.TileNo && x.CellRow == y.CellRow &&
         std::memcmp(&x.Detail, &y.Detail, sizeof x.Detail) == 0 && x.PicWidth == y.PicWidth &&
         x.PicHeight == y.PicHeight && x.CropLeft == y.CropLeft && x.CropTop == y.CropTop &&
         x.CropRight == y.CropRight && x.CropBottom == y.CropBottom && x.Name == y.Name;
}

TCellRecord TQVData::CellRecord(int32_t cell) const {
  TCellRecord r;
  r.Status = RecordStatus(cell);
  const uint8_t* sig = RecordSignature(cell);
  r.Signature.assign(sig, sig + SigSize);
  r.Info = RecordInfo(cell);
  r.HasThumbnail = r.Info.ThumbOffset != 0;
  if (r.HasThumbnail) r.ThumbJpeg = ThumbEntry(r.Info.ThumbOffset);
  return r;
}

bool TQVData::WriteCellRecord(int32_t cell, const TCellRecord& record) {
  if (cell < 1 || cell > Count || !SectionsHoldTable() || record.Signature.size() != size_t(SigSize)) return false;
  TTileInfo info = record.Info;
  info.SlotOffset = static_cast<int32_t>(SlotOffset(cell) + kSlotHeadSize);
  // A record without a thumbnail keeps offset 0, as CompactSections writes it.
  info.ThumbOffset = record.HasThumbnail ? AppendThumbEntry(record.ThumbJpeg) : 0;
  const int32_t textAt = AppendTileInfo(info);
  WriteSlot(cell, record.Status, textAt, record.Signature.data());
  Modified = true;
  if (RecNo == cell) GoRecord(cell);
  return true;
}

void TQVData::FillUsedTiles(std::vector<int32_t>& usedTiles, int32_t mode) const {
  usedTiles.assign(size_t(std::max(Count, 0)), -1);
  if (mode < 0) return;
  for (int32_t n = 1; n <= Count; ++n) usedTiles[size_t(n - 1)] = RecordTileNo(n);
}

void TQVData::FillUsedTilesForSelection(std::vector<int32_t>& usedTiles, bool invert, Point topLeft, Point bottomRight,
                                        Point gridSize) const {
  if (topLeft.X < 0) {
    usedTiles.assign(size_t(std::max(Count, 0)), -1);
    return;
  }
  const int32_t cols = gridSize.X, rows = gridSize.Y;
  if (cols < 1 || rows < 1 || int64_t(cols) * rows > Count)
    throw EQuivara("A grid of " + std::to_string(cols) + " x " + std::to_string(rows) +
                   " cells does not fit a mosaic of " + std::to_string(Count) + " cells");
  usedTiles.assign(size_t(cols) * size_t(rows), -1);
  for (int32_t j = 1; j <= rows; ++j) {
    for (int32_t i = 1; i <= cols; ++i) {
      const bool inside = topLeft.X <= i && i <= bottomRight.X && topLeft.Y <= j && j <= bottomRight.Y;
      const int32_t n = (j - 1) * cols + i;
      if (inside == invert) usedTiles[size_t(n - 1)] = RecordTileNo(n);
    }
  }
}

}  // namespace qv
