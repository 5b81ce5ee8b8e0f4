// "compose PROJECT.qvp": fills the cells of a project with library tiles, by the rules of
// the main window's "Mosaic all", "Random mosaic" and "Smart mosaic", and saves it. The mode
// "optimal" is a smart run followed by the optimising pass.
#include <algorithm>
#include <cstdio>
#include <memory>

#include "base/Errors.h"
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

int ModeFromArg(const std::string& v) {
  if (v == "top") return qv::kVisitTopToBottom;
  if (v == "random") return qv::kVisitRandom;
  if (v == "smart" || v == "optimal") return qv::kVisitSmart;
  throw CliError("--mode must be top, random, smart or optimal");
}

int RunCompose(const std::vector<std::string>& argv) {
  Args args(argv, {"mode", "distance", "repeat", "use", "select", "seed", "library", "seconds"},
            {"fix-auto", "no-fix-custom", "invert"});
  const std::string file = args.Need(0, "project file name");
  TQVData plan, mosaic, lib;
  OpenProjectFile(plan, mosaic, file);
  const std::string libFile = args.Has("library") ? AbsolutePath(args.Value("library")) : plan.LibraryFileName;
  if (!qv::FileExists(libFile)) throw CliError("Library file not found: " + libFile + " (give another with --library)");
  if (plan.CompareLibraryFile(libFile) == 2)
    throw CliError("The library " + libFile + " has another signature grid than the project");
  lib.Open(libFile);
  lib.ShowThumbs = true;  // cells get the tiles' thumbnails

  qv::TCompositionSettings s;
  s.Mode = ModeFromArg(args.Value("mode", "smart"));
  const bool optimal = args.Value("mode") == "optimal";
  const int seconds = args.Int("seconds", 10);
  if (seconds < 0) throw CliError("--seconds must be 0 (no limit) or more");
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
  if (args.Has("seed")) s.RandomSeed = static_cast<uint64_t>(static_cast<uint32_t>(args.Int("seed", 0)));

  StopOnInterrupt interrupt(lib.StopRequested);  // the window's Stop sets the library's flag too
  if (!qv::AnyOrientation(s.Orientations)) throw CliError(qv::kNoOrientationMessage, 2);
  CompleteFlips(lib, s.Orientations);

  std::unique_ptr<Progress> progress;
  qv::TCompositionHooks hooks;
  hooks.OnStart = [&](int32_t total) { progress = std::make_unique<Progress>("Composing", total); };
  hooks.OnProgress = [&](const qv::TCompositionProgress& p) { progress->Update(p.Done, p.StatusText); };
  hooks.StopRequested = [&] { return lib.StopRequested.load(); };
  hooks.OnFinish = [&] { progress.reset(); };
  qv::TCompositionResult r;
  try {
    r = qv::RunComposition(lib, plan, mosaic, s, hooks);
  } catch (const qv::EOutOfTiles& e) {
    throw CliError(TerminalText(e.what()) + "\nThe project was not saved.", 2);
  }
  switch (r.Outcome) {
    case qv::TCompositionOutcome::NotOpen:
      throw CliError("The project or its library is not open");
    case qv::TCompositionOutcome::NoOrientation:
    case qv::TCompositionOutcome::NotEnoughTiles:
      throw CliError(TerminalText(r.Message), 2);
    default:
      break;
  }
  const double runSeconds = double(r.ElapsedMs) / 1000;
  std::printf("%s: %d of %d cells filled (%d kept), %d tiles used, in %s (%s, %.0f cells/s)%s\n", file.c_str(),
              r.Placed, r.Total, r.Kept, r.NewTiles, qv::FormatElapsed(r.ElapsedMs).c_str(),
              FormatSeconds(runSeconds).c_str(), runSeconds > 0 ? r.Placed / runSeconds : 0.0,
              r.Outcome == qv::TCompositionOutcome::Stopped ? ", stopped" : "");
  bool stopped = r.Outcome == qv::TCompositionOutcome::Stopped;
  if (optimal && !stopped) {
    const uint64_t seed = args.Has("seed") ? static_cast<uint32_t>(args.Int("seed", 0)) : 1;
    stopped = RunOptimizePass(lib, plan, mosaic, s, seconds, seed, 0, file).Outcome == qv::TOptimizeOutcome::Stopped;
  }
  mosaic.CompactSections();
  plan.SaveProject(file, mosaic, lib);
  return stopped ? 130 : 0;
}

RegisterCommand regCompose({"compose",
                            "compose PROJECT.qvp [--mode top|random|smart|optimal] [--distance D] [--repeat R]\n"
                            "      [--use original,h,v,r] [--fix-auto] [--no-fix-custom] [--select C1,R1,C2,R2]\n"
                            "      [--invert] [--seed N] [--seconds S] [--library LIB.qv2]   fill the cells with\n"
                            "      library tiles",
                            RunCompose});

}  // namespace
}  // namespace qvcli
