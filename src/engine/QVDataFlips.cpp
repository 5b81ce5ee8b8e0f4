// TQVData: blocks of flipped copies of a library's tiles.
//
// Block b (1..3) holds records b x N + 1 .. (b + 1) x N, N = UnflippedCount: the copies of
// the unflipped tiles flipped by FlipKinds[b - 1], in tile order. Copies are appended to the
// ends of the three sections, so removing them is cutting the sections back.
#include <algorithm>
#include <cstring>
#include <exception>

#include "base/Errors.h"
#include "codecs/JpegCodec.h"
#include "engine/QVData.h"
#include "engine/StoredThumbnail.h"

namespace qv {
namespace {

// The signature with its 3-byte cells permuted as the picture is flipped.
SignatureBytes FlipSignature(const uint8_t* sig, int gridW, int gridH, int kind) {
  const int cells = gridW * gridH;
  SignatureBytes out(static_cast<size_t>(cells) * 3);
  for (int j = 0; j < cells; ++j) {
    int r = j / gridW, c = j % gridW, from;
    switch (kind) {
      case kFlipHorizontal:
        from = r * gridW + (gridW - 1 - c);
        break;
      case kFlipRotate180:
        from = cells - 1 - j;
        break;
      default:
        from = (gridH - 1 - r) * gridW + c;
        break;
    }
    std::memcpy(&out[size_t(j) * 3], sig + size_t(from) * 3, 3);
  }
  return out;
}

Bitmap24 FlipBitmap(const Bitmap24& src, int kind) {
  const int w = src.Width(), h = src.Height();
  Bitmap24 out(w, h);
  const bool mirrorX = kind == kFlipHorizontal || kind == kFlipRotate180;
  const bool mirrorY = kind == kFlipVertical || kind == kFlipRotate180;
  for (int y = 0; y < h; ++y) {
    const uint8_t* s = src.Row(mirrorY ? h - 1 - y : y);
    uint8_t* d = out.Row(y);
    if (!mirrorX) {
      std::memcpy(d, s, size_t(w) * 3);
      continue;
    }
    for (int x = 0; x < w; ++x) std::memcpy(d + x * 3, s + (w - 1 - x) * 3, 3);
  }
  return out;
}

void FlipCrop(TTileInfo& info, int kind) {
  if (kind == kFlipHorizontal || kind == kFlipRotate180) std::swap(info.CropLeft, info.CropRight);
  if (kind == kFlipVertical || kind == kFlipRotate180) std::swap(info.CropTop, info.CropBottom);
}

}  // namespace

bool TQVData::AddFlippedCopies(int kind) {
  if (kind < kFlipHorizontal || kind > kFlipVertical) return false;
  int block = -1;
  for (int b = 2; b >= 0; --b) {
    if (FlipKinds[b] == kind) return false;
    if (FlipKinds[b] == 0) block = b;
  }
  if (block < 0) return false;

  const int32_t countBefore = Count;
  const int64_t textBefore = TextSection.Size(), dataBefore = DataSection.Size(), thumbBefore = ThumbSection.Size();
  const int64_t textPos = TextSection.Position, dataPos = DataSection.Position;
  bool added = false;
  try {
    for (int32_t i = 0; i < UnflippedCount; ++i) {
      const int32_t n = i + 1;
      const uint8_t status = RecordStatus(n);
      SignatureBytes sig = FlipSignature(RecordSignature(n), GridW, GridH, kind);
      TTileInfo info = RecordInfo(n);
      FlipCrop(info, kind);
      if (info.ThumbOffset != 0) {
        try {
          std::string jpeg = ThumbEntry(info.ThumbOffset);
          Bitmap24 thumb = DecodeStoredThumbnail(jpeg);
          info.ThumbOffset = AppendThumbEntry(EncodeJpeg(FlipBitmap(thumb, kind), JpegQuality));
        } catch (const EPictureError&) {
          // the copy keeps the tile's own thumbnail
        }
      }
      if (DataSection.Size() > INT32_MAX) throw EStreamError("Library too large for 32-bit section offsets");
      info.SlotOffset = static_cast<int32_t>(DataSection.Size());
      const int32_t textOffset = AppendTileInfo(info);
      DataSection.AppendU8(status);
      DataSection.AppendI32(textOffset);
      DataSection.Append(sig.data(), static_cast<int64_t>(sig.size()));
      ++Count;
      ReportTileProgress(i);
      if (StopRequested) throw EStopped("Adding was stoped by user");
    }
    FlipKinds[block] = static_cast<uint8_t>(kind);
    added = true;
  } catch (const std::exception&) {
    Count = countBefore;
    TextSection.Truncate(textBefore);
    DataSection.Truncate(dataBefore);
    ThumbSection.Truncate(thumbBefore);
    if (OnWarning) OnWarning("Flipped tiles was not added to the library.", "Procedure stopped");
  }
  TextSection.Position = textPos;
  DataSection.Position = dataPos;
  if (OrderKeyWidth == 0) OrderCount = Count;
  Modified = true;
  return added;
}

void TQVData::RemoveFlippedCopies() {
  if (Count > UnflippedCount) {
    // Cut where the unflipped tiles' records end. A copy whose thumbnail could not be
    // flipped shares its tile's thumbnail, so the first copy's thumbnail offset is not a
    // safe place to cut.
    int64_t textEnd, thumbEnd;
    UnflippedSectionEnds(textEnd, thumbEnd);
    ThumbSection.Truncate(std::min(thumbEnd, ThumbSection.Size()));
    TextSection.Truncate(std::min(textEnd, TextSection.Size()));
    DataSection.Truncate(std::min(DataSection.Size(), SlotOffset(UnflippedCount + 1)));
    Count = UnflippedCount;
    if (OrderKeyWidth == 0) OrderCount = Count;
    Modified = true;
  }
  FlipKinds[0] = FlipKinds[1] = FlipKinds[2] = 0;
}

}  // namespace qv
