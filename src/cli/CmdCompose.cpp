// "compose PROJECT.qvp": fills the cells of a project with library tiles, by the rules of
// the main window's "Mosaic all", "Random mosaic" and "Smart mosaic", and saves it.
#include <algorithm>
#include <cstdio>
#include <memory>

#include "base/Errors.h"
#include "base/FileUtil.h"
#include "cli/CliCommon.h"
#include "cli/CliProject.h"
#include "engine/CompositionRun.h"
#include "engine/QVData.h"

namespace qvcli {
namespace {

using qv::TQVData;

// A message of the program with its "\r" line breaks as a terminal shows them.
std::string TerminalText(std::string text) {
  std::replace(text.begin(), text.end(), '\r', '\n');
  return text;
}

int ModeFromArg(const std::string& v) {
  if (v == "top") return qv::kVisitTopToBottom;
  if (v == "random") return qv::kVisitRandom;
  if (v == "smart") return qv::kVisitSmart;
  throw CliError("--mode must be top, random or smart");
}

qv::TOrientationSet OrientationsFromArgs(const Args& args) {
  if (!args.Has("use")) return {true, false, false, false};
  qv::TOrientationSet o{false, false, false, false};
  for (const auto& k : args.List("use")) {
    if (k == "original")
      o[0] = true;
    else if (k == "h")
      o[qv::kFlipHorizontal] = true;
    else if (k == "v")
      o[qv::kFlipVertical] = true;
    else if (k == "r")
      o[qv::kFlipRotate180] = true;
    else
      throw CliError("--use takes original, h (horizontal mirror), v (vertical mirror), r (rotated 180)");
  }
  return o;
}

// --select C1,R1,C2,R2: columns and rows from 1, both corners inside the grid.
qv::TCellRect SelectionFromArgs(const Args& args, int32_t cols, int32_t rows) {
  if (!args.Has("select")) return {};
  std::vector<int> v = args.IntList("select", 4);
  for (int i = 0; i < 4; ++i)
    if (v[size_t(i)] < 1 || v[size_t(i)] > (i % 2 == 0 ? cols : rows))
      throw CliError("--select corners must lie in the grid: columns 1.." + std::to_string(cols) + ", rows 1.." +
                     std::to_string(rows));
  return {std::min(v[0], v[2]) - 1, std::min(v[1], v[3]) - 1, std::max(v[0], v[2]) - 1, std::max(v[1], v[3]) - 1};
}

// Makes sure the library holds the flipped copies the run may use; drops the orientations
// that could not be added.
void CompleteFlips(TQVData& lib, qv::TOrientationSet& o) {
  std::unique_ptr<Progress> progress;
  int64_t steps = 0;
  qv::TAddFlipsHooks hooks;
  hooks.OnStart = [&](int32_t max) { progress = std::make_unique<Progress>(qv::kAddingFlipsText, max); };
  hooks.OnStep = [&] { progress->Update(++steps); };
  hooks.OnFinish = [&] { progress.reset(); };
  std::string warning;
  lib.OnWarning = [&warning](const std::string& text, const std::string& caption) { warning = caption + ": " + text; };
  const qv::TOrientationSet missing =
      qv::AddFlips(lib, o[qv::kFlipHorizontal], o[qv::kFlipVertical], o[qv::kFlipRotate180], hooks);
  if (!warning.empty()) std::fprintf(stderr, "%s\n", warning.c_str());
  static const char* names[4] = {"", "horizontal mirror", "rotated 180", "vertical mirror"};
  for (int kind = qv::kFlipHorizontal; kind <= qv::kFlipVertical; ++kind)
    if (missing[size_t(kind)]) {
      o[size_t(kind)] = false;
      std::fprintf(stderr, "The library has no %s copies; they are not used.\n", names[kind]);
    }
}

int RunCompose(const std::vector<std::string>& argv) {
  Args args(argv, {"mode", "distance", "repeat", "use", "select", "seed", "library"},
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
  mosaic.CompactSections();
  plan.SaveProject(file, mosaic, lib);
  const double seconds = double(r.ElapsedMs) / 1000;
  std::printf("%s: %d of %d cells filled (%d kept), %d tiles used, in %s (%s, %.0f cells/s)%s\n", file.c_str(),
              r.Placed, r.Total, r.Kept, r.NewTiles, qv::FormatElapsed(r.ElapsedMs).c_str(),
              FormatSeconds(seconds).c_str(), seconds > 0 ? r.Placed / seconds : 0.0,
              r.Outcome == qv::TCompositionOutcome::Stopped ? ", stopped" : "");
  return r.Outcome == qv::TCompositionOutcome::Stopped ? 130 : 0;
}

RegisterCommand regCompose({"compose",
                            "compose PROJECT.qvp [--mode top|random|smart] [--distance D] [--repeat R]\n"
                            "      [--use original,h,v,r] [--fix-auto] [--no-fix-custom] [--select C1,R1,C2,R2]\n"
                            "      [--invert] [--seed N] [--library LIB.qv2]   fill the cells with library tiles",
                            RunCompose});

}  // namespace
}  // namespace qvcli
