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

int RunOptimize(const std::vector<std::string>& argv) {
  Args args(argv, {"seconds", "distance", "repeat", "use", "select", "seed", "candidates", "colour-weight", "library"},
            {"fix-auto", "no-fix-custom", "invert"});
  const std::string file = args.Need(0, "project file name");
  TQVData plan, mosaic, lib;
  OpenProjectAndLibrary(args, file, plan, mosaic, lib);
  qv::TOptimizeSettings s = OptimizeSettingsFromArgs(args, RulesFromArgs(args, plan));

  StopOnInterrupt interrupt(lib.StopRequested);
  CompleteFlips(lib, s.Rules.Orientations);
  const qv::TOptimizeResult r = RunOptimizePass(lib, plan, mosaic, s, file);
  mosaic.CompactSections();
  plan.SaveProject(file, mosaic, lib);
  return r.Outcome == qv::TOptimizeOutcome::Stopped ? 130 : 0;
}

RegisterCommand regOptimize(
    {"optimize",
     "optimize PROJECT.qvp [--seconds S] [--distance D] [--repeat R] [--use original,h,v,r]\n"
     "      [--fix-auto] [--no-fix-custom] [--select C1,R1,C2,R2] [--invert] [--seed N]\n"
     "      [--candidates K] [--colour-weight W] [--library LIB.qv2]   lower the total\n"
     "      distance, keeping the rules; W above 1 makes the cells' mean colours count W times\n"
     "      their patterns (closer colours in the rendered mosaic)",
     RunOptimize});

}  // namespace
}  // namespace qvcli
