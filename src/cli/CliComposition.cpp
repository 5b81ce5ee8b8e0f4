#include "cli/CliComposition.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

#include "base/FileUtil.h"
#include "cli/CliCommon.h"
#include "cli/CliProject.h"
#include "engine/CompositionRun.h"
#include "engine/OptimizeComposition.h"
#include "engine/QVData.h"

namespace qvcli {

std::string TerminalText(std::string text) {
  std::replace(text.begin(), text.end(), '\r', '\n');
  return text;
}

void OpenProjectAndLibrary(const Args& args, const std::string& file, qv::TQVData& plan, qv::TQVData& mosaic,
                           qv::TQVData& lib) {
  OpenProjectFile(plan, mosaic, file);
  const std::string libFile = args.Has("library") ? AbsolutePath(args.Value("library")) : plan.LibraryFileName;
  if (!qv::FileExists(libFile)) throw CliError("Library file not found: " + libFile + " (give another with --library)");
  if (plan.CompareLibraryFile(libFile) == 2)
    throw CliError("The library " + libFile + " has another signature grid than the project");
  lib.Open(libFile);
  lib.ShowThumbs = true;
}

namespace {

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

qv::TCellRect SelectionFromArgs(const Args& args, int32_t cols, int32_t rows) {
  if (!args.Has("select")) return {};
  std::vector<int> v = args.IntList("select", 4);
  for (int i = 0; i < 4; ++i)
    if (v[size_t(i)] < 1 || v[size_t(i)] > (i % 2 == 0 ? cols : rows))
      throw CliError("--select corners must lie in the grid: columns 1.." + std::to_string(cols) + ", rows 1.." +
                     std::to_string(rows));
  return {std::min(v[0], v[2]) - 1, std::min(v[1], v[3]) - 1, std::max(v[0], v[2]) - 1, std::max(v[1], v[3]) - 1};
}

}  // namespace

qv::TCompositionSettings RulesFromArgs(const Args& args, const qv::TQVData& plan) {
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
  return s;
}

int SecondsFromArgs(const Args& args) {
  const int s = args.Int("seconds", 10);
  if (s < 0) throw CliError("--seconds must be 0 (no limit) or more");
  return s;
}

const char* FlipName(int kind) {
  switch (kind) {
    case qv::kFlipHorizontal:
      return "horizontal mirror";
    case qv::kFlipRotate180:
      return "rotated 180";
    case qv::kFlipVertical:
      return "vertical mirror";
    default:
      return "none";
  }
}

void CompleteFlips(qv::TQVData& lib, qv::TOrientationSet& o) {
  if (!qv::AnyOrientation(o)) throw CliError(qv::kNoOrientationMessage, 2);
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
  for (int kind = qv::kFlipHorizontal; kind <= qv::kFlipVertical; ++kind)
    if (missing[size_t(kind)]) {
      o[size_t(kind)] = false;
      std::fprintf(stderr, "The library has no %s copies; they are not used.\n", FlipName(kind));
    }
}

qv::TOptimizeSettings OptimizeSettingsFromArgs(const Args& args, const qv::TCompositionSettings& rules) {
  qv::TOptimizeSettings s;
  s.Rules = rules;
  s.TimeLimitMs = int64_t(SecondsFromArgs(args)) * 1000;
  s.Seed = static_cast<uint32_t>(args.Int("seed", 1));
  s.Candidates = args.Int("candidates", 0);
  if (s.Candidates < 0) throw CliError("--candidates must be 1 or more (0: chosen by the Repeat limit)");
  const int weight = args.Int("colour-weight", 1);
  if (weight < 1) throw CliError("--colour-weight must be 1 (the plain distance) or more");
  s.ColourWeight = weight;
  return s;
}

qv::TOptimizeResult RunOptimizePass(qv::TQVData& lib, qv::TQVData& plan, qv::TQVData& mosaic,
                                    const qv::TOptimizeSettings& s, const std::string& file) {
  std::fflush(stdout);  // what was printed before comes before the progress lines
  qv::TOptimizeHooks hooks;
  hooks.StopRequested = [&] { return lib.StopRequested.load(); };
  uint64_t start = 0;
  bool started = false;
  hooks.OnProgress = [&](const qv::TOptimizeProgress& p) {
    if (!started) {
      started = true;
      start = p.TotalDistance;
    }
    std::fprintf(stderr, "Optimising: sweep %d, %lld moves, total distance %llu (%.2f %% below the start)\n", p.Sweep,
                 static_cast<long long>(p.Moves), static_cast<unsigned long long>(p.TotalDistance),
                 start > 0 ? 100.0 * double(start - p.TotalDistance) / double(start) : 0.0);
  };
  const qv::TOptimizeResult r = qv::OptimizeComposition(lib, plan, mosaic, s, hooks);
  switch (r.Outcome) {
    case qv::TOptimizeOutcome::NotOpen:
      throw CliError("The project or its library is not open");
    case qv::TOptimizeOutcome::NoOrientation:
    case qv::TOptimizeOutcome::RulesBroken:
      throw CliError(TerminalText(r.Message) +
                         "\nThe mosaic does not keep these settings; compose it with them "
                         "first. The project was not changed.",
                     2);
    default:
      break;
  }
  const double below =
      r.StartDistance > 0 ? 100.0 * double(r.StartDistance - r.EndDistance) / double(r.StartDistance) : 0.0;
  const char* how = r.Outcome == qv::TOptimizeOutcome::Stopped  ? ", stopped"
                    : r.Outcome == qv::TOptimizeOutcome::TimeUp ? ", time up"
                                                                : "";
  std::printf(
      "%s: total %sdistance %llu -> %llu (%.2f %% lower) over %d cells, %d cells changed, %lld moves "
      "(%lld chains), %d sweeps, in %s (candidate lists %s)%s\n",
      file.c_str(), s.ColourWeight != 1 ? "colour-weighted " : "", static_cast<unsigned long long>(r.StartDistance),
      static_cast<unsigned long long>(r.EndDistance), below, r.Cells, r.Changed, static_cast<long long>(r.Moves),
      static_cast<long long>(r.Chains), r.Sweeps, FormatSeconds(double(r.ElapsedMs) / 1000).c_str(),
      FormatSeconds(double(r.CandidatesMs) / 1000).c_str(), how);
  return r;
}

}  // namespace qvcli
