// TQVData: building a library from folders of pictures, appending to it, and writing a copy
// with another signature grid and colour system.
#include <algorithm>
#include <cstring>
#include <thread>

#include "base/Errors.h"
#include "codecs/JpegCodec.h"
#include "engine/FolderScan.h"
#include "engine/QVData.h"
#include "engine/TilePipeline.h"
#include "imaging/RasterUtils.h"
#include "raster/Resample.h"

namespace qv {
namespace {

const char kCheckExtensions[] = "\r\n Check some of picture file extantions";

void CheckGrid(int gridW, int gridH) {
  if (gridW < 1 || gridH < 1 || gridW > 0xFFFF || gridH > 0xFFFF || int64_t(gridW) * gridH > 1 << 20)
    throw EQuivara("Signature grid " + std::to_string(gridW) + " x " + std::to_string(gridH) + " is not usable");
}

// Closes the work files when a pass leaves early through an error.
struct WorkFilesGuard {
  TQVData& t;
  bool done = false;
  ~WorkFilesGuard() {
    if (!done) t.CloseWorkFiles();
  }
};

}  // namespace

TTileBuildSettings TQVData::CurrentBuildSettings() const {
  TTileBuildSettings s;
  if (BuildPropX < 1 || BuildPropY < 1 || BuildPropX > 0xFFFF || BuildPropY > 0xFFFF)
    throw EQuivara("Tile proportion " + std::to_string(BuildPropX) + " : " + std::to_string(BuildPropY) +
                   " is not usable");
  CheckGrid(BuildGridW, BuildGridH);
  s.PropX = BuildPropX;
  s.PropY = BuildPropY;
  s.GridW = BuildGridW;
  s.GridH = BuildGridH;
  s.MarginPercent = std::clamp(MarginPercent, 0, 100);
  s.CropMode = CropMode;
  s.ThumbWidth = ThumbWidth;
  s.ThumbHeight = ThumbHeightFor(ThumbWidth, BuildPropX, BuildPropY);
  if (s.ThumbWidth < 1 || s.ThumbHeight < 1 || s.ThumbWidth > 0xFFFF || s.ThumbHeight > 0xFFFF)
    throw EQuivara("Thumbnail size " + std::to_string(s.ThumbWidth) + " x " + std::to_string(s.ThumbHeight) +
                   " is not usable");
  s.Filter = ResampleFilterFromCode(BuildFilterCode);
  s.ColorSystem = BuildColorSystem;
  s.JpegQuality = std::clamp<int>(JpegQuality, 1, 100);
  s.FastJpeg = FastJpeg;
  return s;
}

// ---- Build and append passes ----

bool TQVData::CreateLibrary(const std::string& fileName) {
  AddedCount = 0;
  CurrentBuildSettings();  // refuses unusable settings before anything is done
  OpenWorkFiles();
  WorkFilesGuard guard{*this};
  if (PictureExtensions.empty()) throw EQuivara("Not ready to create " + fileName + kCheckExtensions);
  ScanFolder(RootFolder);
  guard.done = true;
  return WriteLibraryFile(fileName);
}

void TQVData::UseTableGeometryForBuild() {
  BuildPropX = PropX;
  BuildPropY = PropY;
  BuildGridW = GridW;
  BuildGridH = GridH;
  BuildFormatByte = FormatByte;
  BuildColorSystem = ColorSystem;
  BuildFilterCode = FilterCode;
}

void TQVData::SetAppendSettings() {
  UseTableGeometryForBuild();
  ThumbWidth = 36;
  JpegQuality = 75;
}

bool TQVData::AppendFolder(const std::string& folder) {
  if (!TableIsOpen()) throw EQuivara("No library is open to append to");
  // The new records must have the signatures of the records already there.
  BuildGridW = GridW;
  BuildGridH = GridH;
  BuildColorSystem = ColorSystem;
  CurrentBuildSettings();
  AddedCount = UnflippedCount;
  CopyToWorkFiles();
  WorkFilesGuard guard{*this};
  if (PictureExtensions.empty()) throw EQuivara("Not ready to update " + baseName_ + kCheckExtensions);
  ScanFolder(folder);
  guard.done = true;
  return WriteLibraryFile(baseName_);
}

std::vector<std::string> TQVData::ListPictureFiles(const std::string& folder) const {
  return ListPictureFilesIn(folder, PictureExtensions, IncludeSubfolders);
}

void TQVData::ScanFolder(const std::string& folder) {
  const std::vector<std::string> files = ListPictureFiles(folder);
  int threads = BuildThreads > 0 ? BuildThreads : static_cast<int>(std::thread::hardware_concurrency());
  if (threads <= 1 || files.size() < 2) {
    for (const auto& f : files) {
      if (StopRequested) return;
      AddPicture(f);
    }
    return;
  }
  // Workers decode and reduce the pictures a few files ahead; the records are still added
  // here, one by one in scan order, with the progress event and stop test of each file.
  TilePipeline pipeline(files, CurrentBuildSettings(), threads, static_cast<size_t>(threads) + 2);
  for (size_t i = 0; i < files.size(); ++i) {
    if (StopRequested) return;
    if (!Work) throw EStreamError("No build pass is running");
    if (OnProcessMessages) OnProcessMessages();
    if (OnCreateBaseProgress) OnCreateBaseProgress(*this);
    TPreparedTile tile = pipeline.Take(i);
    if (tile.Ok) AddPreparedTile(files[i], tile);
  }
}

bool TQVData::AddPicture(const std::string& fileName) {
  if (!Work) throw EStreamError("No build pass is running");
  if (OnProcessMessages) OnProcessMessages();
  if (OnCreateBaseProgress) OnCreateBaseProgress(*this);
  TPreparedTile tile = PrepareTile(fileName, CurrentBuildSettings());
  if (!tile.Ok) return false;
  AddPreparedTile(fileName, tile);
  return true;
}

void TQVData::AddPreparedTile(const std::string& fileName, TPreparedTile& tile) {
  AddTileRecord(fileName, tile.PicWidth, tile.PicHeight, tile.Crop, tile.Signature, tile.Jpeg);
  LastTilePicture = std::move(tile.Cropped);
  ++AddedCount;
  Progress = AddedCount;
}

// ---- Resampling ----

namespace {

// The picture of a record whose thumbnail is missing or does not decode: its stored
// signature as a grid of pixels. Returns the colour system the pixels are in (the bytes are
// copied as they are, so a YCC signature stays YCC).
Bitmap24 StoredSignatureCells(const uint8_t* sig, int gridW, int gridH) {
  Bitmap24 cells(gridW, gridH);
  for (int y = 0; y < gridH; ++y) std::memcpy(cells.Row(y), sig + size_t(y) * gridW * 3, size_t(gridW) * 3);
  return cells;
}

}  // namespace

bool TQVData::ResampleLibrary(const std::string& fileName, int32_t gridW, uint8_t colorSystem, int32_t gridH) {
  if (!TableIsOpen()) throw EQuivara("No library is open to resample");
  CheckGrid(gridW, gridH);
  AddedCount = 0;
  UseTableGeometryForBuild();
  BuildColorSystem = colorSystem;
  BuildGridW = gridW;
  BuildGridH = gridH;
  OpenWorkFiles();
  WorkFilesGuard guard{*this};
  const int filter = ResampleFilterFromCode(FilterCode);
  try {
    for (int32_t i = 0; i < UnflippedCount; ++i) {
      const int32_t n = i + 1;
      uint8_t status = RecordStatus(n);
      TTileInfo info = RecordInfo(n);
      std::string jpeg = info.ThumbOffset != 0 ? ThumbEntry(info.ThumbOffset) : std::string();
      Bitmap24 grid;
      bool decoded = false;
      if (!jpeg.empty()) {
        try {
          Bitmap24 thumb = DecodeJpegMemory(reinterpret_cast<const uint8_t*>(jpeg.data()), jpeg.size());
          grid = Resample(thumb, gridW, gridH, filter);
          decoded = true;
        } catch (const EPictureError&) {
        }
      }
      SignatureBytes sig;
      if (decoded) {
        sig = SignatureOf(grid, colorSystem);
      } else {
        // No usable thumbnail: the stored signature, resampled to the new grid.
        Bitmap24 cells = StoredSignatureCells(RecordSignature(n), GridW, GridH);
        bool fromYcc = ColorSystem == kColorYCC, toYcc = colorSystem == kColorYCC;
        if (fromYcc && !toYcc) DrawSignature(RecordSignature(n), ColorSystem, cells);
        grid = Resample(cells, gridW, gridH, filter);
        sig = SignatureOf(grid, (!fromYcc && toYcc) ? kColorYCC : kColorRGB);
      }
      AppendWorkRecord(status, sig.data(), info, info.ThumbOffset != 0 ? &jpeg : nullptr, false);
      ++AddedCount;
      ReportTileProgress(i);
      if (StopRequested) throw EStopped("Adding was stoped by user");
    }
  } catch (const EQuivara&) {
    if (OnWarning) OnWarning("Pack procedure was cancelled", "Stopped");
  }
  guard.done = true;
  return WriteLibraryFile(fileName);
}

}  // namespace qv
