// "render PROJECT.qvp OUT.{jpg,tif,bmp,html,txt}" and "stats PROJECT.qvp OUT.txt": the
// output writers and the statistic report on a saved project.
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <regex>

#include "base/Errors.h"
#include "base/FileUtil.h"
#include "base/Rounding.h"
#include "cli/CliCommon.h"
#include "cli/CliProject.h"
#include "cli/CmdRender.h"
#include "engine/QVData.h"
#include "output/DirectWriter.h"
#include "output/HtmlExport.h"
#include "output/PosterWriter.h"
#include "output/SequenceExport.h"
#include "output/StatisticReport.h"
#include "output/TextExport.h"

namespace qvcli {

namespace {

std::atomic<bool> gRenderStop{false};

extern "C" void OnRenderInterrupt(int) {
  gRenderStop = true;
  ::signal(SIGINT, SIG_DFL);  // a second Ctrl+C ends the program
}

qv::ColorRef ParseColor(const std::string& text, const std::string& what) {
  static const std::regex hex("#?([0-9a-fA-F]{6})");
  std::smatch m;
  if (!std::regex_match(text, m, hex)) throw CliError(what + " must be a colour #RRGGBB, not \"" + text + "\"");
  const unsigned long v = std::stoul(m[1].str(), nullptr, 16);
  return qv::MakeColorRef(uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v));
}

int Percent(const Args& args, const std::string& name) {
  const int v = args.Int(name, 0);
  if (v < 0 || v > 100) throw CliError("--" + name + " must be 0..100");
  return v;
}

// The tile-not-found question on the terminal, with the dialog's answers.
int AskOnTerminal(const std::string& file, bool offerSource) {
  std::fprintf(stderr,
               "\nCan't find a file:\n  %s\nDo you like to replace original tile picture with smaller thumbnail "
               "stored in the library?\n  1 Replace   2 Replace all rest   3 Auto   4 Cancel%s\nAnswer [3]: ",
               file.c_str(), offerSource ? "   6 Auto replace with source" : "");
  std::string line;
  if (!std::getline(std::cin, line)) return qv::kAnswerCancel;
  if (line.empty()) return qv::kAnswerAuto;
  try {
    const int a = std::stoi(line);
    if (a == 1 || a == 2 || a == 3 || a == 4 || (a == 6 && offerSource)) return a;
  } catch (const std::exception&) {
  }
  return AskOnTerminal(file, offerSource);
}

}  // namespace

RenderJob RenderJobFromArgs(const Args& args, const qv::TQVData& plan, const qv::TQVData& mosaic) {
  RenderJob job;
  qv::RenderSettings& st = job.Settings;
  job.Area = qv::WholeGrid(plan.Cols, plan.Rows);
  if (args.Has("select")) {
    auto s = args.IntList("select", 4);
    if (s[0] < 1 || s[1] < 1 || s[2] < 1 || s[3] < 1 || s[0] > plan.Cols || s[2] > plan.Cols || s[1] > plan.Rows ||
        s[3] > plan.Rows)
      throw CliError("--select must name cells inside the " + std::to_string(plan.Cols) + " x " +
                     std::to_string(plan.Rows) + " grid (1-based)");
    job.Area = qv::RenderAreaFromSelection(qv::Rect{s[0] - 1, s[1] - 1, s[2] - 1, s[3] - 1}, plan.Cols, plan.Rows);
  }
  // The output keeps the grid's proportions unless both sides are given.
  const int propX = std::max(mosaic.PropX, 1), propY = std::max(mosaic.PropY, 1);
  const double natW = double(job.Area.Cols) * propX, natH = double(job.Area.Rows) * propY;
  if (args.Has("width") && args.Has("height")) throw CliError("Give --width or --height, not both");
  if (args.Has("height")) {
    st.OutputHeight = args.Int("height", 0);
    st.OutputWidth = qv::RoundHalfEven(st.OutputHeight / natH * natW);
  } else {
    st.OutputWidth = args.Int("width", int(natW));
    st.OutputHeight = qv::RoundHalfEven(st.OutputWidth / natW * natH);
  }
  if (st.OutputWidth < 1 || st.OutputHeight < 1) throw CliError("The output must be at least 1 x 1 pixels");
  st.JpegQuality = args.Int("quality", 85);
  if (st.JpegQuality < 1 || st.JpegQuality > 100) throw CliError("--quality must be 1..100");
  st.Resolution = args.Int("dpi", 150);
  if (st.Resolution < 1 || st.Resolution > 65535) throw CliError("--dpi must be 1..65535");
  if (args.Has("borders")) {
    auto b = args.IntList("borders", 4);
    for (int v : b)
      if (v < 0) throw CliError("--borders must not be negative");
    st.BorderLeft = b[0];
    st.BorderTop = b[1];
    st.BorderRight = b[2];
    st.BorderBottom = b[3];
  }
  st.BorderColor = ParseColor(args.Value("border-color", "#FFFFFF"), "--border-color");
  if (args.Has("grid")) {
    auto parts = args.List("grid");
    st.GridWidth = ParseInt(parts.at(0), "--grid width");
    if (st.GridWidth < 0) throw CliError("--grid width must not be negative");
    st.GridColor = parts.size() > 1 ? ParseColor(parts[1], "--grid colour") : qv::MakeColorRef(0, 0, 0);
  }
  st.CorrectionPercent = Percent(args, "correction");
  st.BlendAlpha = qv::BlendAlphaFromPercent(Percent(args, "blend"));
  st.DetailedBlend = args.Has("detailed-blend");
  st.Sharpen = !args.Has("no-sharpen");
  st.UseOriginals = args.Has("originals");
  st.FastJpeg = true;
  st.DetailedBackground = true;
  const std::string missing = args.Value("missing", ::isatty(0) ? "ask" : "thumb");
  if (missing == "ask") {
    job.Ask = AskOnTerminal;
  } else if (missing == "thumb" || missing == "source" || missing == "stop") {
    const int answer = missing == "thumb"    ? qv::kAnswerAuto
                       : missing == "source" ? qv::kAnswerAutoSource
                                             : qv::kAnswerCancel;
    job.Ask = [answer](const std::string&, bool) { return answer; };
  } else {
    throw CliError("--missing must be ask, thumb, source or stop");
  }
  return job;
}

int RunRenderJob(const std::string& out, const RenderJob& job, qv::TQVData& plan, qv::TQVData& mosaic, bool sequence,
                 bool direct) {
  const std::string ext = qv::UpperCaseAscii(qv::ExtractFileExt(out));
  Progress progress("Rendering", job.Area.Count());
  gRenderStop = false;
  ::signal(SIGINT, OnRenderInterrupt);
  struct Restore {
    ~Restore() { ::signal(SIGINT, SIG_DFL); }
  } restore;
  qv::RenderCallbacks cb;
  cb.StopRequested = &gRenderStop;
  cb.AskTileNotFound = job.Ask;
  int64_t done = 0;
  cb.OnProgress = [&progress, &done](int64_t d, int64_t) { progress.Update(done = d); };
  cb.OnStatus = [&progress, &done](const std::string& s) { progress.Update(done, s); };
  const qv::RenderSource source = qv::RenderSourceFromProject(mosaic, plan);
  auto start = std::chrono::steady_clock::now();
  qv::WriteOutcome outcome;
  if (ext == ".HTML" || ext == ".HTM") {
    outcome = qv::SaveHTML(out, source, job.Settings, job.Area, cb);
  } else if (ext == ".TXT") {
    outcome = qv::SaveText(out, source, job.Area, cb);
  } else if (sequence) {
    if (ext != ".BMP") throw CliError("--sequence writes BMP files: give a name ending in .bmp");
    outcome = qv::SaveSequence(out, source, job.Settings, job.Area, cb);
  } else if (ext == ".JPG" || ext == ".TIF" || ext == ".BMP") {
    if (direct && ext != ".JPG")
      outcome = qv::SaveTiff(out, ext == ".BMP" ? qv::DiskFormat::Bmp : qv::DiskFormat::Tiff, source, job.Settings,
                             job.Area, cb);
    else
      outcome = qv::SavePoster(out, source, job.Settings, job.Area, cb);
  } else {
    throw CliError("The output name must end in .jpg, .tif, .bmp, .html or .txt");
  }
  progress.Finish();
  const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const qv::RenderSettings& st = job.Settings;
  std::printf("%s\n(%d x %d pixels, %lld cells, %s, %.1f megapixels/s)\n", outcome.Message.c_str(), st.PictureWidth(),
              st.PictureHeight(), static_cast<long long>(job.Area.Count()), FormatSeconds(secs).c_str(),
              secs > 0 ? double(st.OutputWidth) * st.OutputHeight / 1e6 / secs : 0.0);
  return outcome.Stopped ? 130 : 0;
}

namespace {

int RunRender(const std::vector<std::string>& argv) {
  Args args(argv,
            {"width", "height", "quality", "dpi", "borders", "border-color", "grid", "correction", "blend", "missing",
             "select"},
            {"sequence", "detailed-blend", "no-sharpen", "originals", "direct"});
  const std::string& project = args.Need(0, "project file (PROJECT.qvp)");
  const std::string& out = args.Need(1, "output file (OUT.jpg, .tif, .bmp, .html or .txt)");
  qv::TQVData plan, mosaic;
  OpenProjectFile(plan, mosaic, project);
  RenderJob job = RenderJobFromArgs(args, plan, mosaic);
  return RunRenderJob(out, job, plan, mosaic, args.Has("sequence"), args.Has("direct"));
}

int RunStats(const std::vector<std::string>& argv) {
  Args args(argv, {}, {});
  const std::string& project = args.Need(0, "project file (PROJECT.qvp)");
  const std::string& out = args.Need(1, "report file (OUT.txt)");
  qv::TQVData plan, mosaic;
  OpenProjectFile(plan, mosaic, project);
  const int32_t count = qv::SaveStatisticReport(out, mosaic, plan.Cols);
  std::printf("Saved to %s (%d unique pictures were used.)\n", out.c_str(), count);
  return 0;
}

RegisterCommand regRender(
    {"render",
     "render PROJECT.qvp OUT.{jpg,tif,bmp,html,txt} [--sequence] [--width W | --height H] [--quality Q] [--dpi N]\n"
     "         [--borders L,T,R,B] [--border-color #RRGGBB] [--grid WIDTH[,#RRGGBB]] [--correction P] [--blend P]\n"
     "         [--detailed-blend] [--no-sharpen] [--originals] [--missing ask|thumb|source|stop] [--direct]\n"
     "         [--select C1,R1,C2,R2]   render the mosaic (selection 1-based, inclusive)",
     RunRender});
RegisterCommand regStats({"stats", "stats PROJECT.qvp OUT.txt   the statistic report of the mosaic", RunStats});

}  // namespace
}  // namespace qvcli
