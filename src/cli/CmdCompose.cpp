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
  Args args(argv, {"mode", "distance", "repeat", "use", "select", "seed", "library", "seconds", "colour-weight"},
            {"fix-auto", "no-fix-custom", "invert"});
  const std::string file = args.Need(0, "project file name");
  TQVData plan, mosaic, lib;
  OpenProjectAndLibrary(args, file, plan, mosaic, lib);
  qv::TCompositionSettings s = RulesFromArgs(args, plan);
  s.Mode = ModeFromArg(args.Value("mode", "smart"));
  const bool optimal = args.Value("mode") == "optimal";
  const qv::TOptimizeSettings optimizing = OptimizeSettingsFromArgs(args, s);
  if (args.Has("seed")) s.RandomSeed = static_cast<uint64_t>(static_cast<uint32_t>(args.Int("seed", 0)));

  StopOnInterrupt interrupt(lib.StopRequested);  // the window's Stop sets the library's flag too
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
    qv::TOptimizeSettings o = optimizing;
    o.Rules.Orientations = s.Orientations;  // as CompleteFlips left them
    stopped = RunOptimizePass(lib, plan, mosaic, o, file).Outcome == qv::TOptimizeOutcome::Stopped;
  }
  mosaic.CompactSections();
  plan.SaveProject(file, mosaic, lib);
  return stopped ? 130 : 0;
}

RegisterCommand regCompose({"compose",
                            "compose PROJECT.qvp [--mode top|random|smart|optimal] [--distance D] [--repeat R]\n"
                            "      [--use original,h,v,r] [--fix-auto] [--no-fix-custom] [--select C1,R1,C2,R2]\n"
                            "      [--invert] [--seed N] [--seconds S] [--colour-weight W] [--library LIB.qv2]   fill\n"
                            "      the cells with library tiles (optimal: then the optimising pass, as optimize)",
                            RunCompose});

}  // namespace
}  // namespace qvcli
