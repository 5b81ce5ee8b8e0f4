// "demo OUTDIR": the whole road of a mosaic on the bundled sample pictures: a library from
// the sample tiles, a project from the sample source picture, a smart composition, a
// rendered JPEG and the statistic report.
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <filesystem>

#include "base/FileUtil.h"
#include "cli/CliCommon.h"
#include "cli/CliProject.h"
#include "cli/CmdRender.h"
#include "codecs/PictureLoader.h"
#include "engine/CompositionRun.h"
#include "engine/FolderScan.h"
#include "engine/QVData.h"
#include "output/StatisticReport.h"

namespace qvcli {
namespace {

// The bundled samples: next to the executable's source tree (build/src/cli/quivara-cli),
// an installed share folder, or the source folder the program was built from.
std::string FindSamples() {
  std::vector<std::string> candidates;
  char exe[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
  if (n > 0) {
    exe[n] = 0;
    const std::string dir = qv::ExtractFileDir(exe);
    candidates.push_back(dir + "/../../../resources/samples");
    candidates.push_back(dir + "/../share/quivara/samples");
    candidates.push_back(dir + "/resources/samples");
  }
#ifdef QUIVARA_SOURCE_DIR
  candidates.push_back(std::string(QUIVARA_SOURCE_DIR) + "/resources/samples");
#endif
  for (const auto& c : candidates)
    if (qv::FileExists(c + "/source.jpg") && qv::DirectoryExists(c + "/tiles"))
      return std::filesystem::weakly_canonical(c).string();
  throw CliError("The sample pictures were not found; give --samples DIR (a folder with source.jpg and tiles/)");
}

int RunDemo(const std::vector<std::string>& argv) {
  Args args(argv, {"samples", "cols", "rows", "width"}, {});
  const std::string outDir = args.Need(0, "output folder");
  const std::string samples = AbsolutePath(args.Has("samples") ? args.Value("samples") : FindSamples());
  const int cols = args.Int("cols", 48), rows = args.Int("rows", 36);
  if (cols < 1 || rows < 1) throw CliError("--cols and --rows must be at least 1");
  std::error_code ec;
  std::filesystem::create_directories(outDir, ec);
  if (!qv::DirectoryExists(outDir)) throw CliError("Cannot create the folder " + outDir);
  const std::string dir = std::filesystem::absolute(outDir).lexically_normal().string();
  const std::string libFile = dir + "/samples.qv2", project = dir + "/demo.qvp", picture = dir + "/demo.jpg",
                    report = dir + "/demo-statistic.txt", source = samples + "/source.jpg";

  // 1. The library: square tiles, as the new library dialog makes them.
  qv::TQVData lib;
  qv::TBuildSettings settings;
  settings.RootFolder = samples + "/tiles";
  settings.PictureExtensions = qv::PictureExtensionsFor({"JPG"});
  {
    Progress progress("Library", int64_t(qv::ListPictureFiles(settings).size()));
    int64_t seen = 0;
    lib.OnCreateBaseProgress = [&](qv::TQVData&) { progress.Update(++seen); };
    if (!lib.CreateLibrary(libFile, settings)) throw CliError("Cannot write " + libFile);
    progress.Finish();
  }
  if (!lib.Open(libFile, 0)) throw CliError("Cannot open " + libFile);
  lib.ShowThumbs = true;  // cells get the tiles' thumbnails, not their signature pictures
  std::printf("Library: %s (%d tiles)\n", libFile.c_str(), lib.Count);

  // 2. The project over the whole source picture.
  const qv::Bitmap24 sourcePicture = qv::LoadPicture24(source);
  qv::TSourceImageRecord rec;
  rec.FileName = source;
  rec.SourceRect = qv::Rect{0, 0, sourcePicture.Width(), sourcePicture.Height()};
  lib.CreateProject(project, sourcePicture, rec, qv::Size{cols, rows});
  qv::TQVData plan, mosaic;
  OpenProjectFile(plan, mosaic, project);

  // 3. Smart composition, then the project saved with its mosaic.
  qv::TCompositionSettings cs;
  cs.Mode = qv::kVisitSmart;
  cs.Cols = cols;
  cs.Rows = rows;
  cs.Distance = 4;
  cs.RandomSeed = 1;
  Progress composing("Composing", int64_t(cols) * rows);
  qv::TCompositionHooks hooks;
  hooks.OnProgress = [&](const qv::TCompositionProgress& p) { composing.Update(p.Done); };
  qv::TCompositionResult composed = qv::RunComposition(lib, plan, mosaic, cs, hooks);
  composing.Finish();
  if (composed.Outcome != qv::TCompositionOutcome::Completed) throw CliError("Composition ended: " + composed.Message);
  mosaic.CompactSections();
  plan.SaveProject(project, mosaic, lib);
  std::printf("Project: %s (%d x %d cells, %d tiles placed, %d different)\n", project.c_str(), cols, rows,
              composed.Placed, composed.NewTiles);

  // 4. The picture and the report.
  std::vector<std::string> renderArgs = {
      "--width", std::to_string(args.Int("width", 1920)), "--correction", "30", "--blend", "20", "--missing", "thumb"};
  Args ra(renderArgs, {"width", "correction", "blend", "missing"}, {});
  RenderJob job = RenderJobFromArgs(ra, plan, mosaic);
  const int rc = RunRenderJob(picture, job, plan, mosaic, false, false);
  const int32_t unique = qv::SaveStatisticReport(report, mosaic, plan.Cols);
  std::printf("Statistic: %s (%d unique pictures were used.)\n", report.c_str(), unique);
  std::printf("Mosaic picture: %s\n", picture.c_str());
  return rc;
}

RegisterCommand regDemo({"demo",
                         "demo OUTDIR [--samples DIR] [--cols N] [--rows N] [--width W]   library, project, smart "
                         "composition and a rendered JPEG from the bundled samples",
                         RunDemo});

}  // namespace
}  // namespace qvcli
