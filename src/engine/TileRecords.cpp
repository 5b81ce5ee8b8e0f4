#include "engine/TileRecords.h"

#include <cstring>

#include "base/ByteIO.h"

namespace qv {

const uint8_t kLibraryMagic[8] = {0x00, 0xFF, 0x20, 'Q', 'V', 'B', '2', '1'};
const char kTextTag[4] = {'.', 't', 'x', 't'};
const char kDataTag[4] = {'.', 'd', 'a', 't'};
const char kThumbTag[4] = {'.', 't', 'm', 'b'};

bool HasLibraryMagic(const uint8_t* bytes8) { return std::memcmp(bytes8, kLibraryMagic, 8) == 0; }

std::string EncodeLibraryHeader(const TLibraryHeader& h) {
  uint8_t b[kLibraryHeaderSize] = {};
  std::memcpy(b, kLibraryMagic, 8);
  PutLE32(b + 8, static_cast<uint32_t>(h.Count));
  b[12] = h.FormatByte;
  b[13] = h.ColorSystem;
  b[14] = h.FilterCode;
  PutLE32(b + 15, static_cast<uint32_t>(h.UnflippedCount));
  b[19] = h.Reserved;
  b[20] = h.FlipKinds[0];
  b[21] = h.FlipKinds[1];
  b[22] = h.FlipKinds[2];
  // 23..54 stay zero
  PutLE16(b + 55, h.PropX);
  PutLE16(b + 57, h.PropY);
  PutLE16(b + 59, h.GridW);
  PutLE16(b + 61, h.GridH);
  PutLE32(b + 63, h.SigSize);
  PutLE32(b + 67, static_cast<uint32_t>(h.TextOffset));
  PutLE32(b + 71, static_cast<uint32_t>(h.DataOffset));
  PutLE32(b + 75, static_cast<uint32_t>(h.ThumbOffset));
  return std::string(reinterpret_cast<const char*>(b), sizeof b);
}

TLibraryHeader DecodeLibraryHeader(const uint8_t* b) {
  TLibraryHeader h;
  h.Count = GetLE32s(b + 8);
  h.FormatByte = b[12];
  h.ColorSystem = b[13];
  h.FilterCode = b[14];
  h.UnflippedCount = GetLE32s(b + 15);
  h.Reserved = b[19];
  h.FlipKinds[0] = b[20];
  h.FlipKinds[1] = b[21];
  h.FlipKinds[2] = b[22];
  h.PropX = GetLE16(b + 55);
  h.PropY = GetLE16(b + 57);
  h.GridW = GetLE16(b + 59);
  h.GridH = GetLE16(b + 61);
  h.SigSize = GetLE32(b + 63);
  h.TextOffset = GetLE32s(b + 67);
  h.DataOffset = GetLE32s(b + 71);
  h.ThumbOffset = GetLE32s(b + 75);
  return h;
}

std::string EncodeTileInfo(const TTileInfo& info) {
  size_t len = info.Name.size() > 0xFFFF ? 0xFFFF : info.Name.size();
  std::string out(kTileInfoFixedSize + len, '\0');
  auto* b = reinterpret_cast<uint8_t*>(out.data());
  PutLE16(b + kTileInfoNameLengthAt, static_cast<uint16_t>(len));
  PutLE32(b + kTileInfoSlotAt, static_cast<uint32_t>(info.SlotOffset));
  PutLE32(b + kTileInfoThumbAt, static_cast<uint32_t>(info.ThumbOffset));
  PutLE32(b + kTileInfoTileNoAt, static_cast<uint32_t>(info.TileNo));
  PutLE32(b + kTileInfoCellRowAt, static_cast<uint32_t>(info.CellRow));
  PutF64(b + kTileInfoDetailAt, info.Detail);
  const uint16_t values[6] = {info.PicWidth, info.PicHeight, info.CropLeft,
                              info.CropTop,  info.CropRight, info.CropBottom};
  for (int i = 0; i < 6; ++i) PutLE16(b + kTileInfoPictureAt + 2 * i, values[i]);
  std::memcpy(b + kTileInfoFixedSize, info.Name.data(), len);
  return out;
}

int64_t TileInfoSizeAt(const ByteSection& text, int64_t offset) {
  const uint8_t* p = text.Span(offset, kTileInfoFixedSize);
  int64_t size = kTileInfoFixedSize + GetLE16(p + kTileInfoNameLengthAt);
  text.Span(offset, size);  // the name must fit too
  return size;
}

TTileInfo ReadTileInfo(const ByteSection& text, int64_t offset) {
  int64_t size = TileInfoSizeAt(text, offset);
  const uint8_t* p = text.Span(offset, size);
  TTileInfo info;
  info.SlotOffset = GetLE32s(p + kTileInfoSlotAt);
  info.ThumbOffset = GetLE32s(p + kTileInfoThumbAt);
  info.TileNo = GetLE32s(p + kTileInfoTileNoAt);
  info.CellRow = GetLE32s(p + kTileInfoCellRowAt);
  info.Detail = GetF64(p + kTileInfoDetailAt);
  uint16_t* values[6] = {&info.PicWidth, &info.PicHeight, &info.CropLeft,
                         &info.CropTop,  &info.CropRight, &info.CropBottom};
  for (int i = 0; i < 6; ++i) *values[i] = GetLE16(p + kTileInfoPictureAt + 2 * i);
  info.Name.assign(reinterpret_cast<const char*>(p + kTileInfoFixedSize),
                   static_cast<size_t>(size - kTileInfoFixedSize));
  return info;
}

}  // namespace qv
