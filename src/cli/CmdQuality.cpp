// "quality PROJECT.qvp": how closely the mosaic matches its plan (the cell distances the
// composition minimises), and with --render how closely the rendered mosaic matches the source
// picture; --map writes a heat map of the cell distances.
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>

#include "base/Rounding.h"
#include "cli/CliCommon.h"
#include "cli/CliComposition.h"
#include "codecs/PngCodec.h"
#include "engine/MosaicQuality.h"
#include "engine/OptimumBound.h"
#include "engine/QVData.h"
#include "output/RenderFidelity.h"

namespace qvcli {
namespace {

using qv::TQVData;

int PercentArg(const Args& args, const char* name) {
  const int v = args.Int(name, 0);
  if (v < 0 || v > 100) throw CliError(std::string("--") + name + " must be 0..100");
  return v;
}

void PrintFigures(const std::string& file, const qv::TQualityFigures& f) {
  std::printf("%s: %d cells, %d with a library tile", file.c_str(), f.Cells, f.Measured);
  if (f.Empty + f.Custom + f.Foreign > 0)
    std::printf(" (%d empty, %d custom pictures, %d tiles the library does not hold)", f.Empty, f.Custom, f.Foreign);
  std::printf("\n");
  std::printf("Total distance:     %llu\n", static_cast<unsigned long long>(f.Total));
  std::printf("Mean distance:      %.1f\n", f.Mean);
  std::printf("Percentiles:        50 %%: %lld   90 %%: %lld   99 %%: %lld   largest: %lld\n",
              static_cast<long long>(f.P50), static_cast<long long>(f.P90), static_cast<long long>(f.P99),
              static_cast<long long>(f.Largest));
  std::printf("Distinct tiles:     %d\n", f.DistinctTiles);
  std::printf("Largest use count:  %d\n", f.MostUses);
}

int RunQuality(const std::vector<std::string>& argv) {
  Args args(argv, {"render", "map", "library", "correction", "blend", "distance", "use", "iterations"},
            {"no-sharpen", "bound"});
  const std::string file = args.Need(0, "project file name");
  TQVData plan, mosaic, lib;
  OpenProjectAndLibrary(args, file, plan, mosaic, lib);

  const std::vector<int64_t> distances = qv::CellDistances(lib, plan, mosaic);
  std::vector<int32_t> tileNos(distances.size());
  for (int32_t c = 1; c <= mosaic.Count; ++c) tileNos[size_t(c - 1)] = mosaic.RecordTileNo(c);
  const qv::TQualityFigures f = qv::QualityFigures(distances, tileNos);
  PrintFigures(file, f);

  if (args.Has("map")) {
    const std::string out = args.Value("map");
    const qv::Bitmap24 map = qv::DistanceHeatMap(distances, plan.Cols, plan.Rows, f.P99);
    qv::SavePngFile(map, out);
    std::printf(
        "Heat map:           %s (%d x %d pixels; dark blue: distance 0, red: %lld, the 99th percentile, and "
        "above; grey: no library tile)\n",
        out.c_str(), map.Width(), map.Height(), static_cast<long long>(f.P99));
  }

  if (args.Has("bound")) {
    // How low any mosaic of this grid and library could go under the Distance rule.
    qv::TCompositionSettings rules = RulesFromArgs(args, plan);
    if (rules.Distance < 1) throw CliError("--bound needs a --distance of 1 or more");
    // A report leaves the library as it is: flipped copies it lacks are not added here.
    for (int kind = qv::kFlipHorizontal; kind <= qv::kFlipVertical; ++kind)
      if (rules.Orientations[size_t(kind)] && !lib.HoldsFlipKind(kind))
        throw CliError(std::string("The library holds no ") + FlipName(kind) +
                       " copies; compose or optimize with the same --use adds them");
    qv::TBoundSettings bs;
    bs.Cols = plan.Cols;
    bs.Rows = plan.Rows;
    bs.Distance = rules.Distance;
    bs.Orientations = rules.Orientations;
    bs.Iterations = args.Int("iterations", 2000);
    if (bs.Iterations < 1) throw CliError("--iterations must be 1 or more");
    const bool complete = f.Empty + f.Custom + f.Foreign == 0;
    bs.KnownTotal = complete ? f.Total : 0;
    std::fflush(stdout);
    std::atomic<bool> stop{false};
    StopOnInterrupt interrupt(stop);
    Progress progress("Bounding", bs.Iterations);
    const qv::TBoundResult b = qv::OptimumLowerBound(lib, plan, bs, [&](int done, uint64_t) {
      progress.Update(done);
      return !stop.load();
    });
    progress.Finish();
    std::printf(
        "Lower bound:        %llu under Distance %d (%d iterations): no mosaic of this grid and library\n"
        "                    keeping the rule has a lower total",
        static_cast<unsigned long long>(b.LowerBound), bs.Distance, b.Iterations);
    if (complete && b.LowerBound > 0)
      std::printf("; this one is at most %.2f %% above it",
                  100.0 * (double(f.Total) - double(b.LowerBound)) / double(b.LowerBound));
    std::printf("\n");
    if (stop.load()) return 130;
  }

  if (args.Has("render")) {
    qv::RenderSettings st;
    st.OutputWidth = args.Int("render", 0);
    if (st.OutputWidth < 1 || st.OutputWidth > 30000) throw CliError("--render must be a width of 1..30000 pixels");
    const double natW = double(plan.Cols) * std::max(mosaic.PropX, 1);
    const double natH = double(plan.Rows) * std::max(mosaic.PropY, 1);
    st.OutputHeight = std::max(1, qv::RoundHalfEven(st.OutputWidth / natW * natH));
    if (st.OutputWidth < plan.Cols || st.OutputHeight < plan.Rows)
      throw CliError("--render must give every cell a pixel at least: " + std::to_string(plan.Cols) + " or more");
    st.CorrectionPercent = PercentArg(args, "correction");
    st.BlendAlpha = qv::BlendAlphaFromPercent(PercentArg(args, "blend"));
    st.Sharpen = !args.Has("no-sharpen");
    std::fflush(stdout);
    const qv::RenderSource source = qv::RenderSourceFromProject(mosaic, plan);
    Progress progress("Rendering", int64_t(plan.Cols) * plan.Rows);
    std::atomic<bool> stop{false};
    StopOnInterrupt interrupt(stop);
    qv::RenderCallbacks cb;
    cb.OnProgress = [&progress](int64_t done, int64_t) { progress.Update(done); };
    cb.StopRequested = &stop;
    const qv::TRenderFidelity r = qv::MeasureRenderFidelity(source, st, cb);
    progress.Finish();
    if (r.Width == 0) return 130;
    std::printf("Rendered %d x %d:    PSNR %.2f dB, SSIM %.4f (luma, 8 x 8 windows), cell-mean error %.2f\n", r.Width,
                r.Height, r.Psnr, r.Ssim, r.CellMeanError);
  }
  return 0;
}

RegisterCommand regQuality({"quality",
                            "quality PROJECT.qvp [--render WIDTH] [--map OUT.png] [--library LIB.qv2]\n"
                            "      [--correction P] [--blend P] [--no-sharpen]\n"
                            "      [--bound [--distance D] [--use original,h,v,r] [--iterations N]]\n"
                            "      how closely the mosaic matches its plan (cell distances) and, rendered, its\n"
                            "      source picture (PSNR, SSIM); --bound: the total no mosaic under the Distance\n"
                            "      rule can go below",
                            RunQuality});

}  // namespace
}  // namespace qvcli
