// "optimize PROJECT.qvp": the optimising pass over a composed project under the rules of a
// composition run, then saves it.
#include <cstdio>

#include "base/FileUtil.h"
#include "cli/CliCommon.h"
#include "cli/CliComposition.h"
#include "cli/CliProject.h"
#include "engine/CompositionRun.h"
#include "engine/OptimizeComposition.h"
#include "engine/QVData.h"

namespace qvcli {
namespace {

using qv::TQVData;

double SecondsFromArgs(const Args& args) {
  const int s = args.Int("seconds", 10);
  if (s < 0) throw CliError("--seconds must be 0 (no limit) or more");
  return s;
}

int RunOptimize(const std::vector<std::string>& argv) {
  Args args(argv, {"seconds", "distance", "repeat", "use", "select", "seed", "candidates", "library"},
            {"fix-auto", "no-fix-custom", "invert"});
  const std::string file = args.Need(0, "project file name");
  TQVData plan, mosaic, lib;
  OpenProjectFile(plan, mosaic, file);
  const std::string libFile = args.Has("library") ? AbsolutePath(args.Value("library")) : plan.LibraryFileName;
  if (!qv::FileExists(libFile)) throw CliError("Library file not found: " + libFile + " (give another with --library)");
  if (plan.CompareLibraryFile(libFile) == 2)
    throw CliError("The library " + libFile + " has another signature grid than the project");
  lib.Open(libFile);
  lib.ShowThumbs = true;  // changed cells get the tiles' thumbnails

  qv::TCompositionSettings s;
  s.Distance = args.Int("distance", 6);
  s.Repeat = args.Int("repeat", 0);
  if (s.Distance < 0 || s.Repeat < 0) throw CliError("--distance and --repeat must be 0 or more");
  s.FixAuto = args.Has("fix-auto");
  s.FixCustom = !args.Has("no-fix-custom");
  s.InvertSelection = args.Has("invert");
  s.Orientations = OrientationsFromArgs(args);
  s.Cols = plan.Cols;
  s.Rows = plan.Rows;
  s.Selection = SelectionFromArgs(args, plan.Cols, plan.Rows);
  const double seconds = SecondsFromArgs(args);
  const uint64_t seed = static_cast<uint32_t>(args.Int("seed", 1));
  const int32_t candidates = args.Int("candidates", 0);
  if (candidates < 0) throw CliError("--candidates must be 1 or more (0: chosen by the Repeat limit)");

  StopOnInterrupt interrupt(lib.StopRequested);
  if (!qv::AnyOrientation(s.Orientations)) throw CliError(qv::kNoOrientationMessage, 2);
  CompleteFlips(lib, s.Orientations);
  const qv::TOptimizeResult r = RunOptimizePass(lib, plan, mosaic, s, seconds, seed, candidates, file);
  mosaic.CompactSections();
  plan.SaveProject(file, mosaic, lib);
  return r.Outcome == qv::TOptimizeOutcome::Stopped ? 130 : 0;
}

RegisterCommand regOptimize({"optimize",
                             "optimize PROJECT.qvp [--seconds S] [--distance D] [--repeat R] [--use original,h,v,r]\n"
                             "      [--fix-auto] [--no-fix-custom] [--select C1,R1,C2,R2] [--invert] [--seed N]\n"
                             "      [--candidates K] [--library LIB.qv2]   lower the total distance, keeping the rules",
                             RunOptimize});

}  // namespace
}  // namespace qvcli
