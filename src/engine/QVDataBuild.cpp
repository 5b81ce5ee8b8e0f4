// TQVData: building a library from folders of pictures, appending to it, and writing a copy
// with another signature grid and colour system.
#include <algorithm>
#include <cstring>
#include <optional>
#include <thread>

#include "base/Errors.h"
#include "engine/FolderScan.h"
#include "engine/QVData.h"
#include "engine/StoredThumbnail.h"
#include "engine/TilePipeline.h"
#include "imaging/RasterUtils.h"
#include "raster/Resample.h"

namespace qv {
namespace {

const char kCheckExtensions[] = "\r\n Check some of picture file extantions";

// Closes the work files when a pass leaves early through an error.
struct WorkFilesGuard {
  TQVData& t;
  bool done = false;
  ~WorkFilesGuard() {
    if (!done) t.CloseWorkFiles();
  }
};

}  // namespace

// ---- Build and append passes ----

bool TQVData::RunScanPass(const TBuildSettings& settings, bool append, const std::string& fileName) {
  settings.Check();  // refuses unusable settings before anything is done
  if (append) {
    AddedCount = UnflippedCount;
    CopyToWorkFiles(settings);
  } else {
    AddedCount = 0;
    OpenWorkFiles(settings);
  }
  WorkFilesGuard guard{*this};
  if (settings.PictureExtensions.empty())
    throw EQuivara((append ? "Not ready to update " : "Not ready to create ") + fileName + kCheckExtensions);
  ScanFolder(settings.RootFolder);
  if (!append && AddedCount == 0 && !settings.WriteEmptyLibrary) return false;
  guard.done = true;
  return WriteLibraryFile(fileName);
}

bool TQVData::CreateLibrary(const std::string& fileName, const TBuildSettings& settings) {
  return RunScanPass(settings, false, fileName);
}

TBuildSettings TQVData::TableBuildSettings() const {
  TBuildSettings s;
  s.PropX = PropX;
  s.PropY = PropY;
  s.GridW = GridW;
  s.GridH = GridH;
  s.ColorSystem = ColorSystem;
  s.FilterCode = FilterCode;
  s.FormatByte = FormatByte;
  return s;
}

TBuildSettings TQVData::AppendSettings(const TScanSettings& scan) const {
  // The new records get the shape and signatures of the records already there.
  TBuildSettings s = TableBuildSettings();
  static_cast<TScanSettings&>(s) = scan;
  s.ThumbWidth = kAppendThumbWidth;
  s.JpegQuality = kAppendJpegQuality;
  return s;
}

bool TQVData::AppendFolder(const TScanSettings& scan) {
  if (!TableIsOpen()) throw EQuivara("No library is open to append to");
  const std::string fileName = baseName_;
  // The work files take the unflipped tiles only; the copies have to be made again.
  const int32_t droppedCopies = Count - UnflippedCount;
  if (!RunScanPass(AppendSettings(scan), true, fileName)) return false;
  if (droppedCopies > 0 && OnWarning)
    OnWarning(std::to_string(droppedCopies) + " flipped tiles were left out of " + fileName +
                  ". Add them again if you want to use them.",
              "Flipped tiles removed");
  return true;
}

void TQVData::ScanFolder(const std::string& folder) {
  const std::vector<std::string> files = ListPictureFilesIn(folder, pass_.PictureExtensions, pass_.IncludeSubfolders);
  int threads = pass_.Threads > 0 ? pass_.Threads : static_cast<int>(std::thread::hardware_concurrency());
  threads = std::max(threads, 1);
  if (!pass_.IsolateDecoders && (threads <= 1 || files.size() < 2)) {
    for (const auto& f : files) {
      if (StopRequested) return;
      AddPicture(f);
    }
    return;
  }
  // Workers (or their helper processes) decode and reduce the pictures a few files ahead;
  // the records are still added here, one by one in scan order, with the progress event and
  // stop test of each file. While a picture is awaited the events are still processed, and
  // a stop ends the wait.
  TilePipeline pipeline(files, pass_, threads, static_cast<size_t>(threads) + 2);
  const auto stillWanted = [this] {
    if (OnProcessMessages) OnProcessMessages();
    return !StopRequested;
  };
  for (size_t i = 0; i < files.size(); ++i) {
    if (StopRequested) return;
    if (!Work) throw EStreamError("No build pass is running");
    if (OnProcessMessages) OnProcessMessages();
    if (OnCreateBaseProgress) OnCreateBaseProgress(*this);
    std::optional<TPreparedTile> tile = pipeline.Take(i, stillWanted);
    if (!tile) return;
    if (tile->Ok) AddPreparedTile(files[i], *tile);
  }
}

bool TQVData::AddPicture(const std::string& fileName) {
  if (!Work) throw EStreamError("No build pass is running");
  if (OnProcessMessages) OnProcessMessages();
  if (OnCreateBaseProgress) OnCreateBaseProgress(*this);
  TPreparedTile tile = PrepareTile(fileName, pass_);
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

bool TQVData::ResampleLibrary(const std::string& fileName, const TResampleSettings& settings) {
  if (!TableIsOpen()) throw EQuivara("No library is open to resample");
  settings.Check();
  const int32_t gridW = settings.GridW, gridH = settings.GridH;
  const uint8_t colorSystem = settings.ColorSystem;
  // The copy keeps the library's proportion, filter and format byte.
  TBuildSettings header = TableBuildSettings();
  header.GridW = gridW;
  header.GridH = gridH;
  header.ColorSystem = colorSystem;
  AddedCount = 0;
  OpenWorkFiles(header);
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
          Bitmap24 thumb = DecodeStoredThumbnail(jpeg);
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
        if (fromYcc && !toYcc) SignaturePixels(RecordSignature(n), ColorSystem, cells);
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
