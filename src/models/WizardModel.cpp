#include "models/WizardModel.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "base/FileUtil.h"
#include "base/Rounding.h"
#include "imaging/RasterUtils.h"
#include "models/OutputLayout.h"

namespace qv {

namespace {

bool InRange(int page) { return page >= 0 && page < kWizardPageCount; }

std::string NameWithoutExtension(const std::string& path) { return ChangeFileExt(ExtractFileName(path), ""); }

}  // namespace

TWizardPages WizardPagesShown(TWizardTask task, bool projectOpen) {
  TWizardPages shown{};
  shown[kPageTask] = true;
  auto show = [&shown](int first, int last) {
    for (int p = first; p <= last; ++p) shown[size_t(p)] = true;
  };
  switch (task) {
    case TWizardTask::NewLibrary:
      show(kPageFolder, kPageCreateLibrary);
      break;
    case TWizardTask::NewMosaic:
      show(kPageOpenLibrary, kPageCreateMosaic);
      break;
    case TWizardTask::SaveMosaic:
      if (projectOpen) show(kPageOutputSize, kPageSave);
      break;
    case TWizardTask::None:
      break;
  }
  return shown;
}

int NextWizardPage(const TWizardPages& shown, int page) {
  for (int p = page + 1; p < kWizardPageCount; ++p)
    if (InRange(p) && shown[size_t(p)]) return p;
  return -1;
}

int PreviousWizardPage(const TWizardPages& shown, int page) {
  for (int p = std::min(page, kWizardPageCount) - 1; p >= 0; --p)
    if (shown[size_t(p)]) return p;
  return -1;
}

const char* WizardExplanation(TWizardTask task, bool projectOpen) {
  switch (task) {
    case TWizardTask::NewLibrary:
      return "This starts the creation of a new library from image files stored in a specific folder/subfolders of "
             "your hard drive.";
    case TWizardTask::NewMosaic:
      return "You'll be prompted to open a tile library and a source image to create mosaic from them.";
    case TWizardTask::SaveMosaic:
      if (projectOpen)
        return "You'll be prompted to select a file name for already compiled mosaic and could resample size of "
               "mosaic to generate large size output graphic file.";
      return "You can't save anything yet. There is no open mosaic project now. You had to open and render mosaic "
             "project first.";
    case TWizardTask::None:
      break;
  }
  return "(Please select)";
}

bool WizardTaskReady(TWizardTask task, bool projectOpen) {
  return task == TWizardTask::NewLibrary || task == TWizardTask::NewMosaic ||
         (task == TWizardTask::SaveMosaic && projectOpen);
}

Size WizardProportion(TTileShape shape, int customX, int customY) {
  switch (shape) {
    case TTileShape::Square:
      return {4, 4};
    case TTileShape::Portrait:
      return {3, 4};
    case TTileShape::Landscape:
      return {4, 3};
    case TTileShape::Custom:
      return {customX, customY};
    case TTileShape::None:
      break;
  }
  return {0, 0};
}

Rect WizardKeptPart(const Rect& outer, TTileShape shape, int customX, int customY, int marginPercent, int anchorColumn,
                    int anchorRow, bool stretch) {
  const double ow = outer.Width(), oh = outer.Height();
  double w = ow, h = oh;
  if (!stretch) {
    if (shape == TTileShape::Portrait) w = ow * 3 / 4;
    if (shape == TTileShape::Landscape) h = oh * 3 / 4;
    if (shape == TTileShape::Custom && customX > 0 && customY > 0) {
      if (customX >= customY)
        h = h * customY / customX;
      else
        w = w * customX / customY;
    }
  }
  const double keep = 1.0 - std::clamp(marginPercent, 0, 100) / 100.0;
  const int iw = RoundHalfEven(w * keep), ih = RoundHalfEven(h * keep);
  if (stretch) {
    anchorColumn = 1;
    anchorRow = 1;
  }
  auto place = [](int start, int outerSide, int side, int anchor) {
    if (anchor <= 0) return start;
    if (anchor >= 2) return start + outerSide - side;
    return start + (outerSide - side) / 2;
  };
  const int left = place(outer.Left, outer.Width(), iw, anchorColumn);
  const int top = place(outer.Top, outer.Height(), ih, anchorRow);
  return {left, top, left + iw, top + ih};
}

std::string WizardProjectName(const std::string& sourceFile, const std::string& libraryFile, int cols, int rows) {
  return NameWithoutExtension(sourceFile) + "-" + NameWithoutExtension(libraryFile) + std::to_string(cols) + "x" +
         std::to_string(rows) + ".qvp";
}

bool TWizardOutputSize::Writable() const {
  return Width >= 1 && Height >= 1 && Width <= kWizardMaxSide && Height <= kWizardMaxSide;
}

TWizardOutputSize WizardOutputSize(int64_t cols, int64_t rows, int64_t cellWidth, int32_t propX, int32_t propY) {
  TWizardOutputSize s;
  s.Cols = cols;
  s.Rows = rows;
  s.CellWidth = cellWidth;
  // Floor(cw x PropY / PropX) in whole numbers: exact for every width the field takes.
  s.CellHeight = propX > 0 && cellWidth > 0 ? cellWidth * propY / propX : 0;
  s.Width = cols * s.CellWidth;
  s.Height = rows * s.CellHeight;
  // The largest entries give more than 64 bits of bytes: the count stops at the largest.
  const __int128 bytes = __int128(3) * s.Width * s.Height;
  s.Bytes = bytes > INT64_MAX ? INT64_MAX : int64_t(bytes);
  return s;
}

TWizardReadouts WizardReadouts(const TWizardOutputSize& size, int64_t dpi) {
  TWizardReadouts r;
  r.Cells = std::to_string(size.Cols) + " x " + std::to_string(size.Rows) + " cells";
  r.Pixels = std::to_string(size.Width) + " x " + std::to_string(size.Height) + " pixels";
  r.Bytes = FormatByteSize(size.Bytes);
  if (dpi > 0) {
    const double wi = double(size.Width) / double(dpi), hi = double(size.Height) / double(dpi);
    r.Inch = FormatTwoDecimals(wi) + " x " + FormatTwoDecimals(hi) + " inch";
    r.Cm = FormatTwoDecimals(wi / kInchesPerCm) + " x " + FormatTwoDecimals(hi / kInchesPerCm) + " cm";
  } else {
    r.Inch = "-- inch";
    r.Cm = "-- cm";
  }
  return r;
}

TWizardWriter WizardWriterFor(const std::string& fileName, bool directToDisk) {
  const std::string ext = UpperCaseAscii(ExtractFileExt(fileName));
  if (ext == ".JPG") return TWizardWriter::Poster;
  if (ext == ".BMP") return directToDisk ? TWizardWriter::DiskBmp : TWizardWriter::Poster;
  if (ext == ".TIF") return directToDisk ? TWizardWriter::DiskTiff : TWizardWriter::Poster;
  return TWizardWriter::None;
}

const char kWizardMosaicTypes[] = "Tiff files (*.tif);;Jpeg files (*.jpg);;BMP files (*.bmp)";
const char kWizardJpegType[] = "Jpeg files (*.jpg)";

std::string WizardTypeExtension(const std::string& type) {
  if (type.find("*.tif") != std::string::npos) return ".tif";
  if (type.find("*.jpg") != std::string::npos) return ".jpg";
  if (type.find("*.bmp") != std::string::npos) return ".bmp";
  return {};
}

std::string WizardMosaicFileName(const std::string& chosen, const std::string& type) {
  if (chosen.empty() || WizardWriterFor(chosen, false) != TWizardWriter::None) return chosen;
  const std::string ext = WizardTypeExtension(type);
  return chosen + (ext.empty() ? std::string(".jpg") : ext);
}

std::string WizardSaveLine(const std::string& fileName, bool typing) {
  if (typing)
    return "Now press the Save button. Quivara will recreate your mosaic image and save the result to " + fileName;
  return "Now press the Save button and Quivara will save your finished mosaic to " + fileName;
}

RenderSettings WizardRenderSettings(const TWizardSaveParams& p, bool fastJpeg, bool detailedBackground) {
  RenderSettings s;
  s.OutputWidth = p.Width;
  s.OutputHeight = p.Height;
  s.GridWidth = 0;
  s.CorrectionPercent = std::clamp(p.CorrectionPercent, 0, 100);
  s.BlendAlpha = BlendAlphaFromPercent(std::clamp(p.BlendPercent, 0, 100));
  s.DetailedBlend = false;
  s.Sharpen = p.Sharpen;
  s.FastJpeg = fastJpeg;
  s.UseOriginals = p.UseOriginals;
  s.DetailedBackground = detailedBackground;
  s.Resolution = p.Resolution;
  s.JpegQuality = p.JpegQuality;
  return s;
}

MissingTilePolicy WizardMissingTilePolicy() {
  MissingTilePolicy policy;
  policy.OfferSourceAnswer = false;
  policy.EmptyCellsAsMissing = true;
  return policy;
}

}  // namespace qv
