// "project ..." commands: make a mosaic project from a source picture, and show what a
// project holds.
#include <cstdio>
#include <filesystem>

#include "base/Errors.h"
#include "base/FileUtil.h"
#include "base/Rounding.h"
#include "cli/CliCommon.h"
#include "cli/CliProject.h"
#include "codecs/PictureLoader.h"
#include "engine/QVData.h"
#include "imaging/RasterUtils.h"

namespace qvcli {

void OpenProjectFile(qv::TQVData& plan, qv::TQVData& mosaic, const std::string& file) {
  if (!plan.OpenProject(file, mosaic)) throw CliError("Project file not found: " + file);
}

namespace {

using qv::Rect;
using qv::TQVData;

// The frame of the source picture the mosaic covers, as the source setup window's "Apply"
// takes it: without stretching, the largest centred rectangle of the mosaic's proportions
// (cols x PropX : rows x PropY) inside the given rectangle (the whole picture by default);
// with stretching, the given rectangle itself, whatever its proportions.
Rect MosaicFrame(const Args& args, const qv::Bitmap24& pic, const TQVData& lib, int32_t cols, int32_t rows,
                 bool stretch) {
  Rect box{0, 0, pic.Width(), pic.Height()};
  if (args.Has("rect")) {
    std::vector<int> v = args.IntList("rect", 4);
    box = {v[0], v[1], v[2], v[3]};
    if (box.Left < 0 || box.Top < 0 || box.Right > pic.Width() || box.Bottom > pic.Height() || box.Width() < 1 ||
        box.Height() < 1)
      throw CliError("--rect must lie inside the " + std::to_string(pic.Width()) + " x " +
                     std::to_string(pic.Height()) + " picture, with Left < Right and Top < Bottom");
  }
  if (stretch) return box;
  const Rect shape{0, 0, cols * lib.PropX, rows * lib.PropY};
  Rect frame = qv::FitRectKeepAspect(shape, box);
  if (frame.Width() < 1 || frame.Height() < 1)
    throw CliError("The picture is too small for a frame of these proportions");
  return frame;
}

int RunProjectCreate(const std::vector<std::string>& argv) {
  Args args(argv, {"library", "source", "cols", "rows", "rect"}, {"stretch"});
  const std::string out = AbsolutePath(args.Need(0, "project file name (OUT.qvp)"));
  if (!args.Has("library")) throw CliError("Missing --library LIB.qv2");
  if (!args.Has("source")) throw CliError("Missing --source PICTURE");
  const std::string libFile = AbsolutePath(args.Value("library"));
  const std::string source = AbsolutePath(args.Value("source"));
  const int32_t cols = args.Int("cols", 30), rows = args.Int("rows", 30);
  if (cols < 1 || rows < 1 || cols > 0xFFFF || rows > 0xFFFF) throw CliError("--cols and --rows must be 1..65535");
  const bool stretch = args.Has("stretch");

  TQVData lib;
  if (!qv::FileExists(libFile)) throw CliError("Library file not found: " + libFile);
  lib.Open(libFile);
  qv::Bitmap24 pic;
  try {
    pic = qv::LoadPicture24(source);
  } catch (const qv::EQuivara& e) {
    throw CliError("Cannot load " + source + ": " + e.what());
  }
  const Rect frame = MosaicFrame(args, pic, lib, cols, rows, stretch);
  if (stretch) {
    // The cells take the frame's proportions: hundredths of a cell's width and height.
    const int px = qv::RoundHalfEven(double(frame.Width()) * 100 / cols);
    const int py = qv::RoundHalfEven(double(frame.Height()) * 100 / rows);
    if (px < 1 || py < 1 || px > 0xFFFF || py > 0xFFFF)
      throw CliError("Cells of " + std::to_string(px) + " : " + std::to_string(py) +
                     " hundredths of a pixel cannot be stored; use more or fewer cells");
    lib.PropX = px;
    lib.PropY = py;
  }
  qv::Bitmap24 cut(frame.Width(), frame.Height());
  cut.Draw(pic, -frame.Left, -frame.Top);

  lib.CreateProject(out, cut, {source, frame}, qv::Size{cols, rows});
  // The new mosaic starts with every cell showing its part of the source.
  TQVData plan, mosaic;
  OpenProjectFile(plan, mosaic, out);
  for (int32_t n = 1; n <= mosaic.Count; ++n) {
    plan.Go(n);
    mosaic.RestoreCellFromPlan(n, plan);
  }
  mosaic.CompactSections();
  plan.SaveProject(out, mosaic, lib);
  std::printf("%s: %d x %d cells of %d:%d from %s (frame %d, %d, %d, %d), library %s\n", out.c_str(), cols, rows,
              lib.PropX, lib.PropY, source.c_str(), frame.Left, frame.Top, frame.Right, frame.Bottom, libFile.c_str());
  return 0;
}

int RunProjectInfo(const std::vector<std::string>& argv) {
  Args args(argv, {}, {"cells"});
  const std::string& file = args.Need(0, "project file name");
  TQVData plan, mosaic;
  OpenProjectFile(plan, mosaic, file);
  int32_t tiles = 0, custom = 0, empty = 0;
  for (int32_t n = 1; n <= mosaic.Count; ++n) {
    const int32_t t = mosaic.RecordTileNo(n);
    if (t == 0)
      ++empty;
    else if (t >= qv::kCustomPictureTileNo)
      ++custom;
    else
      ++tiles;
  }
  std::printf("Project:    %s\n", file.c_str());
  std::printf("Grid:       %d x %d (%d cells)\n", plan.Cols, plan.Rows, plan.Count);
  std::printf("Library:    %s%s\n", plan.LibraryFileName.c_str(),
              qv::FileExists(plan.LibraryFileName) ? "" : " (not found)");
  std::printf("Source:     %s\n", plan.SourceFileName.empty() ? "(none)" : plan.SourceFileName.c_str());
  std::printf("Rectangle:  %d, %d, %d, %d\n", plan.SourceRect.Left, plan.SourceRect.Top, plan.SourceRect.Right,
              plan.SourceRect.Bottom);
  std::printf("Tile shape: %d:%d, signature grid %d x %d\n", plan.PropX, plan.PropY, plan.GridW, plan.GridH);
  std::printf("Reserved:   %d, %d\n", plan.ProjectReserved[0], plan.ProjectReserved[1]);
  std::printf("Cells:      %d with library tiles, %d with custom pictures, %d empty\n", tiles, custom, empty);
  if (args.Has("cells")) {
    // Columns and rows counted from 1, as the status bar and --select count them.
    std::printf("%6s %6s %10s  %s\n", "column", "row", "tile", "name");
    for (int32_t n = 1; n <= mosaic.Count; ++n) {
      int32_t col, row;
      qv::RowToCell(n, plan.Cols, col, row);
      std::printf("%6d %6d %10d  %s\n", col + 1, row + 1, mosaic.RecordTileNo(n), mosaic.RecordName(n).c_str());
    }
  }
  return 0;
}

RegisterCommand regCreate({"project create",
                           "project create OUT.qvp --library LIB.qv2 --source PICTURE --cols C --rows R\n"
                           "      [--rect L,T,R,B] [--stretch]   make a mosaic project from a source picture",
                           RunProjectCreate});
RegisterCommand regInfo({"project info",
                         "project info PROJECT.qvp [--cells]   grid, library, source, and one line per cell",
                         RunProjectInfo});

}  // namespace
}  // namespace qvcli
