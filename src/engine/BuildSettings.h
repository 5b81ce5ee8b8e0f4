#pragma once
// The settings of the passes that write a library file, each travelling as one value:
//
//   TBuildSettings     CreateLibrary(fileName, settings): a new library from a folder tree.
//                      Defaults are a new library as the new library dialog makes it:
//                      4 : 4 tiles, 6 x 6 YCC signatures, Mitchell, format byte 3,
//                      thumbnails 42 pixels wide at quality 85, centre crop, no margin.
//   TScanSettings      AppendFolder(scan): more pictures for the open library. Only where
//                      to look and how to cut and read each picture come from the caller;
//                      proportion, grid, colour system, filter and format byte are the
//                      library's own, thumbnails 36 pixels at quality 75.
//   TResampleSettings  ResampleLibrary(fileName, settings): a copy of the open library with
//                      another signature grid and colour system.
//
// A new library of 3 : 4 tiles from the JPEG and PNG files below a folder:
//
//   qv::TBuildSettings s;
//   s.RootFolder = folder;
//   s.PictureExtensions = qv::PictureExtensionsFor({"JPG", "PNG"});  // engine/FolderScan.h
//   s.PropX = 3;
//   s.CropMode = qv::kCropCentreTop;
//   library.CreateLibrary(fileName, s);
//
// The codes stored in a library header are named: colour systems kColorYCC, kColorRGB
// (engine/Signature.h), filters kFilterBox .. kFilterMitchell (raster/Resample.h), crop
// modes below.
#include <cstdint>
#include <string>

#include "engine/Signature.h"
#include "raster/Resample.h"

namespace qv {

// CropMode codes: which part of a picture a tile keeps. The first nine keep a piece of the
// tile's proportion at that place; kCropStretch keeps the whole picture and lets the
// reduction stretch it to the tile's proportion.
enum : int {
  kCropLeftTop = 0,
  kCropCentreTop = 1,
  kCropRightTop = 2,
  kCropLeftCentre = 3,
  kCropCentre = 4,
  kCropRightCentre = 5,
  kCropLeftBottom = 6,
  kCropCentreBottom = 7,
  kCropRightBottom = 8,
  kCropStretch = 9,
};

// The header byte every library written by a build carries.
inline constexpr uint8_t kLibraryFormatByte = 3;
// The signature grid of every new library (GridW = GridH).
inline constexpr int32_t kLibraryGridSide = 6;
// Thumbnails of a new library, and of the tiles an append adds.
inline constexpr int32_t kNewLibraryThumbWidth = 42;
inline constexpr uint8_t kNewLibraryJpegQuality = 85;
inline constexpr int32_t kAppendThumbWidth = 36;
inline constexpr uint8_t kAppendJpegQuality = 75;

// The time a helper process is given to prepare one picture (TScanSettings::PictureTimeLimitMs).
inline constexpr int kPictureTimeLimitMs = 30000;

// Where a pass finds its pictures, and how it cuts and reads each one: the choices of the
// caller, in a build and in an append alike.
struct TScanSettings {
  std::string RootFolder;         // the folder to scan
  bool IncludeSubfolders = true;  // subfolders too, depth first, after the folder's own files
  // Upper-case patterns run together, "*.JPG*.JPEG" (see PictureExtensionsFor); a file is
  // taken when its dotted extension occurs anywhere in them. Empty is refused by the passes.
  std::string PictureExtensions;
  int32_t MarginPercent = 0;  // 0..100: border trimmed off each picture, half on each side
  int CropMode = kCropCentre;
  bool FastJpeg = true;  // decode JPEG files at 1/2, 1/4 or 1/8 scale when that covers the thumbnail
  int Threads = 0;       // pictures decoded by 0 = one thread per core, 1 = the calling thread only
  // Decode the pictures in helper processes (one per thread above), so a picture that makes
  // its decoder loop or crash is skipped like an unreadable one instead of hanging or
  // killing the pass. Off, or when no helper can be started, they are decoded in this process.
  bool IsolateDecoders = true;
  // How long a helper may take over one picture before it is killed and the picture skipped.
  int PictureTimeLimitMs = kPictureTimeLimitMs;
};

// Everything a build pass needs: the scan, and the shape of the library it writes.
struct TBuildSettings : TScanSettings {
  int32_t PropX = 4;  // tile proportion, width : height
  int32_t PropY = 4;
  int32_t GridW = kLibraryGridSide;  // signature grid, columns x rows
  int32_t GridH = kLibraryGridSide;
  uint8_t ColorSystem = kColorYCC;       // kColorYCC or kColorRGB
  uint8_t FilterCode = kFilterMitchell;  // thumbnail and signature reductions; stored in the header
  uint8_t FormatByte = kLibraryFormatByte;
  int32_t ThumbWidth = kNewLibraryThumbWidth;  // the height follows the proportion (ThumbHeight)
  uint8_t JpegQuality = kNewLibraryJpegQuality;
  // Off: a build that adds no picture (none could be read, or a stop came before the first)
  // writes nothing and returns false, so a library of that name stays as it was.
  bool WriteEmptyLibrary = true;

  // Round(ThumbWidth / PropX x PropY).
  int ThumbHeight() const;
  // Raises EQuivara naming the first value that cannot make a library file (a proportion,
  // grid, colour system, margin, crop mode, thumbnail size or quality out of range). The
  // passes refuse an empty PictureExtensions with their own message.
  void Check() const;
};

// The new signature grid and colour system of a resampled copy.
struct TResampleSettings {
  int32_t GridW = kLibraryGridSide;
  int32_t GridH = kLibraryGridSide;
  uint8_t ColorSystem = kColorYCC;  // kColorYCC or kColorRGB

  void Check() const;  // EQuivara for a grid or colour system that cannot be stored
};

}  // namespace qv
