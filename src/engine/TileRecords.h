#pragma once
// Byte layouts of a tile table: the 79-byte library header, the TileSlot of the data
// section and the TileInfo of the text section. All integers are little-endian.
#include <cstdint>
#include <string>

#include "engine/ByteSection.h"

namespace qv {

// 00 FF 20 'Q' 'V' 'B' '2' '1'
extern const uint8_t kLibraryMagic[8];
constexpr int kLibraryHeaderSize = 79;
// The widest or tallest signature grid a reader accepts (the program makes 6 x 6 and
// resamples to at most 320 x 320): a header cannot make the reader size a signature and its
// drawing beyond 3 MB each, even for a library holding no record.
constexpr int kMaxSignatureGridSide = 1024;
// The largest stored thumbnail any pass decodes (2048 x 2048; the program writes them 36 to
// 42 pixels wide; see engine/StoredThumbnail.h): a larger one is passed over as one that does
// not decode is, so a damaged entry cannot make every step of the cursor, the flips, the
// resampling or the renderer decode a picture of hundreds of megapixels.
constexpr int64_t kMaxThumbnailPixels = int64_t(1) << 22;

// Section tags, the first 4 bytes of each section.
extern const char kTextTag[4];   // ".txt"
extern const char kDataTag[4];   // ".dat"
extern const char kThumbTag[4];  // ".tmb"
constexpr int kTagSize = 4;

// TileSlot: status byte, int32 text offset, then SigSize bytes of signature.
constexpr int kSlotHeadSize = 5;
// TileInfo: 38 fixed bytes, then the name.
constexpr int kTileInfoFixedSize = 38;
constexpr int kTileInfoNameLengthAt = 0;
constexpr int kTileInfoSlotAt = 2;
constexpr int kTileInfoThumbAt = 6;
constexpr int kTileInfoTileNoAt = 10;
constexpr int kTileInfoCellRowAt = 14;
constexpr int kTileInfoDetailAt = 18;
constexpr int kTileInfoPictureAt = 26;  // six uint16: width, height, crop left, top, right, bottom

// TileNo of a mosaic cell holding a custom picture.
constexpr int32_t kCustomPictureTileNo = 1000000000;
// StatusByte values: 1..250 use counts, above 250 deleted (255 is written).
constexpr uint8_t kMaxUseCount = 250;
constexpr uint8_t kDeletedStatus = 255;

// The library file header as stored (offsets relative to the start of the library, which is
// the start of the file or of the embedded part of a project file).
struct TLibraryHeader {
  int32_t Count = 0;
  uint8_t FormatByte = 0;
  uint8_t ColorSystem = 0;
  uint8_t FilterCode = 0;
  int32_t UnflippedCount = 0;
  uint8_t Reserved = 0;
  uint8_t FlipKinds[3] = {0, 0, 0};
  uint16_t PropX = 0;
  uint16_t PropY = 0;
  uint16_t GridW = 0;
  uint16_t GridH = 0;
  uint32_t SigSize = 0;
  int32_t TextOffset = 0;
  int32_t DataOffset = 0;
  int32_t ThumbOffset = 0;
};

bool HasLibraryMagic(const uint8_t* bytes8);
// The 79 header bytes (magic included).
std::string EncodeLibraryHeader(const TLibraryHeader& h);
// Decodes 79 header bytes; the magic is not checked here.
TLibraryHeader DecodeLibraryHeader(const uint8_t* bytes79);

// One TileInfo record.
struct TTileInfo {
  int32_t SlotOffset = 0;   // the record's TileSlot in the data section, or its signature (slot + 5)
  int32_t ThumbOffset = 0;  // thumbnail entry in the thumbnail section, 0 = none
  int32_t TileNo = 0;
  int32_t CellRow = 0;
  double Detail = 0;
  uint16_t PicWidth = 0;
  uint16_t PicHeight = 0;
  uint16_t CropLeft = 0;
  uint16_t CropTop = 0;
  uint16_t CropRight = 0;
  uint16_t CropBottom = 0;
  std::string Name;
};

// 38 + L bytes (a name longer than 65535 bytes is cut there).
std::string EncodeTileInfo(const TTileInfo& info);
// Reads the TileInfo at offset; EStreamError when it does not lie inside the section.
TTileInfo ReadTileInfo(const ByteSection& text, int64_t offset);
// 38 + L of the TileInfo at offset (checked).
int64_t TileInfoSizeAt(const ByteSection& text, int64_t offset);

}  // namespace qv
