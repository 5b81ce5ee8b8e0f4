// "library ..." commands: build a tile library from a folder, append to it, list it, add or
// remove flipped copies, resample it, and write its thumbnails out.
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "base/Errors.h"
#include "base/FileUtil.h"
#include "base/MemoryTuning.h"
#include "cli/CliCommon.h"
#include "cli/CliComposition.h"
#include "engine/FolderScan.h"
#include "engine/LibraryMaintenance.h"
#include "engine/QVData.h"
#include "models/LibraryInspectorModel.h"
#include "raster/Resample.h"

namespace qvcli {
namespace {

using qv::TQVData;

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::string PatternsFromArgs(const Args& args) {
  std::vector<std::string> types = args.Has("types") ? args.List("types") : std::vector<std::string>{"JPG"};
  try {
    return qv::PictureExtensionsFor(types);
  } catch (const qv::EQuivara& e) {
    std::string known;
    for (const auto& t : qv::LibraryPictureTypes()) known += std::string(known.empty() ? "" : ",") + t.Name;
    throw CliError(std::string(e.what()) + " (known types: " + known + ")");
  }
}

int CropModeFromArg(const std::string& v) {
  static const char* names[] = {"lt", "ct", "rt", "lc", "cc", "rc", "lb", "cb", "rb", "stretch"};
  for (int i = 0; i < 10; ++i)
    if (v == names[i]) return i;
  throw CliError("--crop must be one of lt, ct, rt, lc, cc, rc, lb, cb, rb, stretch");
}

uint8_t ColorFromArg(const std::string& v) {
  if (v == "ycc" || v == "YCC") return qv::kColorYCC;
  if (v == "rgb" || v == "RGB") return qv::kColorRGB;
  throw CliError("--color must be ycc or rgb");
}

// "A:B" or "AxB" as two numbers within lo..hi.
std::pair<int, int> PairFromArg(const std::string& v, const std::string& what, int lo, int hi) {
  size_t p = v.find_first_of(":xX");
  if (p == std::string::npos) throw CliError(what + " must look like A:B");
  int a = ParseInt(v.substr(0, p), what), b = ParseInt(v.substr(p + 1), what);
  if (a < lo || a > hi || b < lo || b > hi)
    throw CliError(what + " values must be " + std::to_string(lo) + ".." + std::to_string(hi));
  return {a, b};
}

// The scan settings of create and append: which pictures, how each is cut and read.
qv::TScanSettings ScanSettingsFromArgs(const Args& args, const std::string& folder) {
  qv::TScanSettings scan;
  scan.RootFolder = folder;
  scan.PictureExtensions = PatternsFromArgs(args);
  scan.IncludeSubfolders = !args.Has("no-subfolders");
  scan.CropMode = CropModeFromArg(args.Value("crop", "cc"));
  scan.MarginPercent = args.Int("margin", 0);
  if (scan.MarginPercent < 0 || scan.MarginPercent > 100) throw CliError("--margin must be 0..100");
  scan.FastJpeg = !args.Has("no-fast-jpeg");
  scan.Threads = args.Int("threads", 0);
  if (scan.Threads < 0) throw CliError("--threads must be 0 (one per core) or more");
  return scan;
}

// Runs a build or append pass over scan.RootFolder with a progress bar over the files it
// will visit.
bool RunScanPass(TQVData& t, const qv::TScanSettings& scan, const std::string& label, const std::function<bool()>& pass,
                 const std::string& target) {
  if (!qv::DirectoryExists(scan.RootFolder)) throw CliError("Folder not found: " + scan.RootFolder);
  std::string targetDir = qv::ExtractFileDir(target);
  if (!targetDir.empty() && !qv::DirectoryExists(targetDir)) throw CliError("Folder not found: " + targetDir);
  size_t total = qv::ListPictureFiles(scan).size();
  // An append pass counts on from the tiles already there.
  const int32_t before = t.TableIsOpen() ? t.UnflippedCount : 0;
  Progress progress(label, static_cast<int64_t>(total));
  int64_t seen = 0;
  t.OnCreateBaseProgress = [&](TQVData&) { progress.Update(seen++); };
  StopOnInterrupt stop(t.StopRequested);
  auto start = std::chrono::steady_clock::now();
  bool written = pass();
  progress.Update(seen);
  progress.Finish();
  double secs = SecondsSince(start);
  int32_t added = t.AddedCount - before;
  if (!written) throw CliError("Cannot write " + target);
  std::printf("%s: %d of %zu picture files added, %d records in all%s (%s, %.1f pictures/s)\n", target.c_str(), added,
              total, t.AddedCount, t.StopRequested ? ", stopped" : "", FormatSeconds(secs).c_str(),
              secs > 0 ? (seen / secs) : 0.0);
  return true;
}

int RunCreate(const std::vector<std::string>& argv) {
  Args args(argv, {"root", "types", "prop", "crop", "margin", "color", "threads"}, {"no-subfolders", "no-fast-jpeg"});
  qv::TuneAllocatorForLargePictures();
  const std::string& out = args.Need(0, "library file name (OUT.qv2)");
  if (args.Value("root").empty()) throw CliError("Missing --root DIR");
  // Tiles keep full paths. Everything not given is as the new library dialog makes it.
  qv::TBuildSettings settings;
  static_cast<qv::TScanSettings&>(settings) = ScanSettingsFromArgs(args, AbsolutePath(args.Value("root")));
  auto prop = PairFromArg(args.Value("prop", "4:4"), "--prop", 1, 1000);
  settings.PropX = prop.first;
  settings.PropY = prop.second;
  settings.ColorSystem = ColorFromArg(args.Value("color", "ycc"));
  TQVData t;
  RunScanPass(
      t, settings, "Scanning", [&] { return t.CreateLibrary(out, settings); }, out);
  return t.StopRequested ? 130 : 0;
}

// Opens a library for a command, with a clear message when it cannot.
void OpenLibrary(TQVData& t, const std::string& file) {
  if (!qv::FileExists(file)) throw CliError("Library file not found: " + file);
  if (!t.Open(file, 0)) throw CliError("Cannot open " + file);
}

int RunAppend(const std::vector<std::string>& argv) {
  Args args(argv, {"types", "crop", "margin", "threads"}, {"no-subfolders", "no-fast-jpeg"});
  qv::TuneAllocatorForLargePictures();
  const std::string& lib = args.Need(0, "library file name");
  const std::string folder = AbsolutePath(args.Need(1, "folder to append"));
  TQVData t;
  OpenLibrary(t, lib);
  const qv::TScanSettings scan = ScanSettingsFromArgs(args, folder);
  std::string warning;
  t.OnWarning = [&warning](const std::string& text, const std::string& caption) { warning = caption + ": " + text; };
  RunScanPass(
      t, scan, "Appending", [&] { return t.AppendFolder(scan); }, lib);
  if (!warning.empty()) std::printf("%s (\"library flips\" adds them)\n", warning.c_str());
  return t.StopRequested ? 130 : 0;
}

int RunInfo(const std::vector<std::string>& argv) {
  Args args(argv, {}, {"records"});
  const std::string& lib = args.Need(0, "library file name");
  TQVData t;
  OpenLibrary(t, lib);
  std::printf("Library:         %s\n", lib.c_str());
  std::printf("Records:         %d\n", t.Count);
  std::printf("Unflipped tiles: %d\n", t.UnflippedCount);
  std::printf("Flip kinds:      %d, %d, %d", t.FlipKinds[0], t.FlipKinds[1], t.FlipKinds[2]);
  for (int b = 0; b < 3; ++b)
    if (t.FlipKinds[b]) std::printf("%s%s", b ? ", " : " (", FlipName(t.FlipKinds[b]));
  std::printf("%s\n", t.FlipKinds[0] ? ")" : "");
  std::printf("Colour system:   %s (%d)\n", t.ColorSystemName().c_str(), t.ColorSystem);
  std::printf("Filter code:     %d (%s)\n", t.FilterCode, qv::ResampleFilterName(t.FilterCode > 5 ? 6 : t.FilterCode));
  std::printf("Format byte:     %d\n", t.FormatByte);
  std::printf("Proportion:      %d:%d\n", t.PropX, t.PropY);
  std::printf("Grid:            %d x %d (%d bytes per signature)\n", t.GridW, t.GridH, t.SigSize);
  if (args.Has("records")) {
    std::printf("%7s %6s %7s %11s %23s  %s\n", "record", "status", "tile", "picture", "crop (l, t, r, b)", "name");
    for (int32_t n = 1; n <= t.Count; ++n) {
      qv::TTileInfo info = t.RecordInfo(n);
      char size[32], crop[48];
      std::snprintf(size, sizeof size, "%dx%d", info.PicWidth, info.PicHeight);
      std::snprintf(crop, sizeof crop, "%d, %d, %d, %d", info.CropLeft, info.CropTop, info.CropRight, info.CropBottom);
      std::printf("%7d %6d %7d %11s %23s  %s\n", n, t.RecordStatus(n), t.TileNumberOf(n), size, crop,
                  info.Name.c_str());
    }
  }
  return 0;
}

// Progress for the passes that raise OnProgress with a percentage.
void WirePercentProgress(TQVData& t, Progress& progress) {
  t.OnProgress = [&progress](TQVData& d) { progress.Update(d.Progress); };
}

int RunFlips(const std::vector<std::string>& argv) {
  Args args(argv, {"add"}, {"remove"});
  const std::string& lib = args.Need(0, "library file name");
  if (args.Has("add") == args.Has("remove")) throw CliError("Give either --add h,v,r or --remove");
  TQVData t;
  OpenLibrary(t, lib);
  std::string warning;
  t.OnWarning = [&warning](const std::string& text, const std::string& caption) { warning = caption + ": " + text; };
  if (args.Has("remove")) {
    int removed = t.Count - t.UnflippedCount;
    t.RemoveFlippedCopies();
    t.Save();
    std::printf("%s: %d flipped copies removed, %d records\n", lib.c_str(), removed, t.Count);
    return 0;
  }
  bool wanted[4] = {false, false, false, false};
  for (const auto& k : args.List("add")) {
    if (k == "h")
      wanted[qv::kFlipHorizontal] = true;
    else if (k == "v")
      wanted[qv::kFlipVertical] = true;
    else if (k == "r")
      wanted[qv::kFlipRotate180] = true;
    else
      throw CliError("--add takes h (horizontal mirror), v (vertical mirror), r (rotated 180)");
  }
  StopOnInterrupt stop(t.StopRequested);
  for (int kind : {qv::kFlipHorizontal, qv::kFlipVertical, qv::kFlipRotate180}) {
    if (!wanted[kind]) continue;
    if (t.FlipKinds[0] == kind || t.FlipKinds[1] == kind || t.FlipKinds[2] == kind) {
      std::printf("%s copies are already there\n", FlipName(kind));
      continue;
    }
    Progress progress(std::string("Adding ") + FlipName(kind) + " copies", 100);
    WirePercentProgress(t, progress);
    bool added = t.AddFlippedCopies(kind);
    progress.Update(100);
    progress.Finish();
    if (!added) {
      if (!warning.empty()) throw CliError(warning);
      throw CliError(std::string("Cannot add ") + FlipName(kind) + " copies");
    }
  }
  t.Save();
  std::printf("%s: %d records (%d tiles), flip kinds %d, %d, %d\n", lib.c_str(), t.Count, t.UnflippedCount,
              t.FlipKinds[0], t.FlipKinds[1], t.FlipKinds[2]);
  return 0;
}

int RunResample(const std::vector<std::string>& argv) {
  Args args(argv, {"grid", "color"}, {});
  const std::string& lib = args.Need(0, "library file name");
  const std::string& out = args.Need(1, "output library file name");
  if (!args.Has("grid")) throw CliError("Missing --grid WxH");
  auto grid = PairFromArg(args.Value("grid"), "--grid", 1, 320);
  TQVData t;
  OpenLibrary(t, lib);
  qv::TResampleSettings settings;
  settings.GridW = grid.first;
  settings.GridH = grid.second;
  settings.ColorSystem = args.Has("color") ? ColorFromArg(args.Value("color")) : t.ColorSystem;
  std::string warning;
  t.OnWarning = [&warning](const std::string& text, const std::string& caption) { warning = caption + ": " + text; };
  Progress progress("Resampling", 100);
  WirePercentProgress(t, progress);
  StopOnInterrupt stop(t.StopRequested);
  bool written = t.ResampleLibrary(out, settings);
  progress.Update(100);
  progress.Finish();
  if (!written) throw CliError("Cannot write " + out);
  std::printf("%s: %d tiles, grid %d x %d, colour system %s\n", out.c_str(), t.AddedCount, settings.GridW,
              settings.GridH, settings.ColorSystem == qv::kColorYCC ? "YCC" : "RGB");
  if (!warning.empty()) throw CliError(warning + " (the file holds the tiles done so far)");
  return 0;
}

int RunThumbs(const std::vector<std::string>& argv) {
  Args args(argv, {"first"}, {});
  const std::string& lib = args.Need(0, "library file name");
  const std::string& dir = args.Need(1, "output folder");
  TQVData t;
  OpenLibrary(t, lib);
  int32_t last = args.Has("first") ? std::min(args.Int("first", 0), t.Count) : t.Count;
  if (last < 0) throw CliError("--first must be 0 or more");
  if (!qv::DirectoryExists(dir) && ::mkdir(dir.c_str(), 0777) != 0) throw CliError("Cannot create folder " + dir);
  int written = 0;
  for (int32_t n = 1; n <= last; ++n) {
    std::string jpeg = t.RecordThumbJpeg(n);
    if (jpeg.empty()) continue;
    char name[32];
    std::snprintf(name, sizeof name, "/%06d.jpg", n);
    std::string path = dir + name;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    bool ok = f && std::fwrite(jpeg.data(), 1, jpeg.size(), f) == jpeg.size();
    if (f) ok = std::fclose(f) == 0 && ok;
    if (!ok) throw CliError("Cannot write " + path);
    ++written;
  }
  std::printf("%d thumbnails written to %s\n", written, dir.c_str());
  return 0;
}

// "library delete LIB N,M,..." / "--restore": deleted marks on tiles, written at once.
int RunDelete(const std::vector<std::string>& argv) {
  Args args(argv, {}, {"restore"});
  const std::string& lib = args.Need(0, "library file name");
  const std::string& list = args.Need(1, "tile numbers (N,M,...)");
  TQVData t;
  OpenLibrary(t, lib);
  std::vector<int32_t> tiles;
  size_t from = 0;
  while (from <= list.size()) {
    size_t comma = list.find(',', from);
    if (comma == std::string::npos) comma = list.size();
    const int n = ParseInt(list.substr(from, comma - from), "tile number");
    if (n < 1 || n > t.UnflippedCount)
      throw CliError("Tile " + std::to_string(n) + " is not in the library (1.." + std::to_string(t.UnflippedCount) +
                     ")");
    tiles.push_back(n);
    from = comma + 1;
  }
  for (int32_t n : tiles) qv::SetTileDeleted(t, n, !args.Has("restore"));
  t.Save();
  std::printf("%s: %d of %d tiles marked deleted\n", lib.c_str(), qv::DeletedTileCount(t), t.UnflippedCount);
  return 0;
}

// "library clean-doubles LIB": marks repeated file names deleted.
int RunCleanDoubles(const std::vector<std::string>& argv) {
  Args args(argv, {}, {});
  const std::string& lib = args.Need(0, "library file name");
  TQVData t;
  OpenLibrary(t, lib);
  const int32_t marked = qv::MarkRepeatedNames(t);
  if (marked > 0) t.Save();
  std::printf("%s: %d tiles with a repeated path and name marked deleted\n", lib.c_str(), marked);
  return 0;
}

// "library remove-deleted LIB": rewrites the library without its deleted tiles.
int RunRemoveDeleted(const std::vector<std::string>& argv) {
  Args args(argv, {}, {});
  const std::string& lib = args.Need(0, "library file name");
  TQVData t;
  OpenLibrary(t, lib);
  const int32_t before = t.UnflippedCount;
  try {
    qv::SaveWithoutDeletedTiles(t, lib);
  } catch (const qv::EStreamError&) {
    throw;
  } catch (const qv::EQuivara& e) {
    throw CliError(e.what());
  }
  OpenLibrary(t, lib);
  std::printf("%s: %d deleted tiles removed, %d tiles left\n", lib.c_str(), before - t.UnflippedCount,
              t.UnflippedCount);
  return 0;
}

// "library mosaic LIB OUT.qvp": a project whose cells hold the library's tiles.
int RunMosaic(const std::vector<std::string>& argv) {
  Args args(argv, {"cols", "order", "sample"}, {});
  const std::string lib = AbsolutePath(args.Need(0, "library file name"));
  const std::string& out = args.Need(1, "project file name (OUT.qvp)");
  TQVData t;
  OpenLibrary(t, lib);
  const std::string order = args.Value("order", "asis");
  qv::TTileOrder o;
  if (order == "asis")
    o = qv::TTileOrder::AsIs;
  else if (order == "path")
    o = qv::TTileOrder::ByPathAndName;
  else if (order == "name")
    o = qv::TTileOrder::ByFileName;
  else if (order == "color")
    o = qv::TTileOrder::ByColor;
  else
    throw CliError("--order must be asis, path, name or color");
  uint32_t sample = 0x808080;
  if (args.Has("sample")) {
    const std::string v = args.Value("sample");
    char* end = nullptr;
    sample = uint32_t(std::strtoul(v.c_str(), &end, 16));
    if (v.size() != 6 || !end || *end) throw CliError("--sample must be a colour RRGGBB in hex");
  }
  const std::vector<int32_t> tiles = qv::LibraryTileOrder(t, o, sample);
  if (tiles.empty()) throw CliError("Every tile of the library is marked deleted");
  const int32_t tileCount = static_cast<int32_t>(tiles.size());
  const int32_t cols = args.Has("cols") ? args.Int("cols", 0) : qv::InitialColumns(tileCount);
  if (cols < 1 || cols > 0xFFFF) throw CliError("--cols must be 1..65535");
  const int32_t rows = qv::CoveringSide(tileCount, cols);
  Progress progress("Placing", int64_t(cols) * rows);
  qv::TLibraryMosaicHooks hooks;
  hooks.OnProgress = [&](int32_t done, int32_t) { progress.Update(done); };
  bool stopped = false;
  StopOnInterrupt stop(t.StopRequested);
  hooks.StopRequested = [&] { return stopped = t.StopRequested.load(); };
  const bool written = qv::CreateLibraryMosaic(t, out, cols, rows, tiles, hooks);
  progress.Finish();
  if (!written) {
    std::printf("Stopped: %s was not written\n", out.c_str());
    return 130;
  }
  std::printf("%s: %d tiles in %d x %d cells\n", out.c_str(), tileCount, cols, rows);
  return stopped ? 130 : 0;
}

RegisterCommand regCreate(
    {"library create",
     "library create OUT.qv2 --root DIR [--types JPG,BMP,GIF,ICO,TIF,PCD,PCX,PSD,RLE,DIB,PNG]\n"
     "      [--no-subfolders] [--prop X:Y] [--crop lt|ct|rt|lc|cc|rc|lb|cb|rb|stretch] [--margin N]\n"
     "      [--color ycc|rgb] [--no-fast-jpeg] [--threads N]   build a tile library from a folder",
     RunCreate});
RegisterCommand regAppend({"library append",
                           "library append LIB.qv2 DIR [--types ...] [--no-subfolders] [--crop ...] [--margin N]\n"
                           "      [--no-fast-jpeg] [--threads N]   add the pictures of a folder to a library",
                           RunAppend});
RegisterCommand regInfo({"library info", "library info LIB.qv2 [--records]   header values, and one line per record",
                         RunInfo});
RegisterCommand regFlips({"library flips",
                          "library flips LIB.qv2 --add h,v,r | --remove   add or remove blocks of flipped copies",
                          RunFlips});
RegisterCommand regResample({"library resample",
                             "library resample LIB.qv2 OUT.qv2 --grid WxH [--color ycc|rgb]   copy with another "
                             "signature grid",
                             RunResample});
RegisterCommand regDelete({"library delete",
                           "library delete LIB.qv2 N,M,... [--restore]   mark tiles deleted (or restore them)",
                           RunDelete});
RegisterCommand regCleanDoubles({"library clean-doubles",
                                 "library clean-doubles LIB.qv2   mark deleted the tiles whose file name repeats",
                                 RunCleanDoubles});
RegisterCommand regRemoveDeleted({"library remove-deleted",
                                  "library remove-deleted LIB.qv2   rewrite the library without its deleted tiles",
                                  RunRemoveDeleted});
RegisterCommand regMosaic(
    {"library mosaic",
     "library mosaic LIB.qv2 OUT.qvp [--cols N] [--order asis|path|name|color] [--sample RRGGBB]\n"
     "      a project whose cells hold the library's tiles",
     RunMosaic});
RegisterCommand regThumbs({"library thumbs",
                           "library thumbs LIB.qv2 OUTDIR [--first N]   write thumbnails as JPEG files", RunThumbs});

}  // namespace
}  // namespace qvcli
