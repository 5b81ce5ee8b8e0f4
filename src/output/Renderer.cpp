#include "output/Renderer.h"

#include <algorithm>
#include <deque>
#include <future>
#include <memory>
#include <optional>

#include "base/Errors.h"
#include "base/FileUtil.h"
#include "codecs/JpegCodec.h"
#include "codecs/PictureLoader.h"
#include "engine/CellGrid.h"
#include "engine/QVData.h"
#include "engine/Signature.h"
#include "imaging/TileOps.h"
#include "output/ScaledTileCache.h"
#include "output/ThumbCache.h"
#include "output/WorkerPool.h"
#include "raster/Bitmap32.h"

namespace qv {

RenderArea RenderAreaFromSelection(const Rect& selection, int32_t gridCols, int32_t gridRows) {
  if (selection.Left == selection.Right && selection.Top == selection.Bottom) return WholeGrid(gridCols, gridRows);
  const int32_t c1 = std::clamp(std::min(selection.Left, selection.Right), 0, std::max(gridCols - 1, 0));
  const int32_t c2 = std::clamp(std::max(selection.Left, selection.Right), 0, std::max(gridCols - 1, 0));
  const int32_t r1 = std::clamp(std::min(selection.Top, selection.Bottom), 0, std::max(gridRows - 1, 0));
  const int32_t r2 = std::clamp(std::max(selection.Top, selection.Bottom), 0, std::max(gridRows - 1, 0));
  return RenderArea{c1, r1, c2 - c1 + 1, r2 - r1 + 1};
}

RenderSource RenderSourceFromProject(TQVData& mosaic, TQVData& plan) {
  RenderSource s;
  s.Mosaic = &mosaic;
  s.Plan = &plan;
  s.GridCols = plan.Cols;
  s.GridRows = plan.Rows;
  s.SourceFileName = plan.SourceFileName;
  s.SourceRect = plan.SourceRect;
  return s;
}

Rect CellRectInArea(const RenderSettings& st, const RenderArea& area, int32_t c, int32_t r) {
  return Rect{SplitPoint(st.OutputWidth, area.Cols, c), SplitPoint(st.OutputHeight, area.Rows, r),
              SplitPoint(st.OutputWidth, area.Cols, c + 1), SplitPoint(st.OutputHeight, area.Rows, r + 1)};
}

Rect CellSourceRegion(const RenderSource& src, int32_t col, int32_t row) {
  const Rect& s = src.SourceRect;
  return Rect{SplitPoint(s.Right - s.Left, src.GridCols, col) + s.Left,
              SplitPoint(s.Bottom - s.Top, src.GridRows, row) + s.Top,
              SplitPoint(s.Right - s.Left, src.GridCols, col + 1) + s.Left,
              SplitPoint(s.Bottom - s.Top, src.GridRows, row + 1) + s.Top};
}

namespace {

bool IsBlankName(const std::string& name) {
  return std::all_of(name.begin(), name.end(), [](char c) { return c == ' '; });
}

// How one cell's picture is made.
enum class CellKind {
  Compose,        // the stored picture composed with correction and blend
  Original,       // the tile's picture file cut to its crop rectangle, then correction and blend
  SourceDecoded,  // the cell's source region from the decoded source picture
  SourceFile,     // the cell's source region loaded from the source picture file
  PlainStretch,   // the stored picture stretched, nothing else
  Nothing,        // "Cancel": no picture
};

struct CellJob {
  RenderedCell cell;
  CellKind kind = CellKind::Compose;
  int width = 0, height = 0;
  Rect region;                               // source region
  std::shared_ptr<ThumbCache::Entry> thumb;  // stored picture, when the record has one
  Bitmap24 blank;                            // the mosaic record's colour grid (stands in for a thumbnail)
  Bitmap24 target;                           // the plan's signature picture
  TTileInfo info;                            // the mosaic record (name, crop rectangle)
  const Bitmap32* fullSource = nullptr;      // the decoded source picture, when there is one
  double sourceDivisorX = 0, sourceDivisorY = 0;
  std::future<void> done;
};

class RenderRun {
 public:
  RenderRun(const RenderSource& src, const RenderSettings& st, const RenderArea& area, const RenderCallbacks& cb,
            const CellSink& sink, const MissingTilePolicy& policy)
      : src_(src),
        st_(st),
        area_(area),
        cb_(cb),
        sink_(sink),
        policy_(policy),
        useOriginals_(st.UseOriginals),
        sourceExists_(!src.SourceFileName.empty() && FileExists(src.SourceFileName)) {}

  RenderResult Run() {
    const int64_t total = int64_t(area_.Cols) * area_.Rows;
    // The whole source picture, decoded once when detailed blending needs it; a failure
    // here ends the run with its error.
    if (st_.BlendAlpha > 0 && st_.DetailedBlend && sourceExists_) DecodeSource(true);

    WorkerPool pool(cb_.Threads);
    const size_t window = Window(pool.Threads());
    struct Drain {  // on every way out, no job may still run on this run's data
      std::deque<std::unique_ptr<CellJob>>& q;
      std::atomic<bool>& cancel;
      ~Drain() {
        cancel = true;
        for (auto& j : q)
          if (j->done.valid()) j->done.wait();
      }
    } drain{pending_, cancel_};

    for (int32_t r = 0; r < area_.Rows && !result_.Stopped && !cancelled_; ++r) {
      for (int32_t c = 0; c < area_.Cols && !result_.Stopped && !cancelled_; ++c) {
        auto job = Prepare(c, r);
        if (!job) break;  // stopped while waiting to ask
        CellJob* j = job.get();
        if (j->kind == CellKind::Nothing) {
          std::promise<void> p;
          p.set_value();
          j->done = p.get_future();
        } else {
          j->done = pool.Submit([this, j] {
            if (!cancel_) Build(*j);
          });
        }
        pending_.push_back(std::move(job));
        while (pending_.size() > window && !result_.Stopped) DeliverOne(total);
      }
    }
    while (!pending_.empty() && !result_.Stopped) DeliverOne(total);
    return result_;
  }

 private:
  // The stop request, or a "Cancel" answered in this run (which stops it also when the
  // caller passed no stop flag).
  bool StopSet() const { return cancelled_ || (cb_.StopRequested && cb_.StopRequested->load()); }

  // How many cells are composed ahead of the writer: two rows of cells, so that the workers
  // go on while the writer takes its time over a finished band (an encoder, a disk write),
  // within kAheadBytes of cell pictures and at least a few per worker.
  size_t Window(int threads) const {
    if (threads == 0) return 0;
    constexpr int64_t kAheadBytes = int64_t(16) << 20;
    const int64_t cellBytes = std::max<int64_t>(
        1, int64_t(Bitmap24::StrideFor(st_.OutputWidth / area_.Cols + 1)) * (st_.OutputHeight / area_.Rows + 1));
    const int64_t rows = std::min<int64_t>(int64_t(area_.Cols) * 2, kAheadBytes / cellBytes);
    return size_t(std::max<int64_t>(int64_t(threads) * 2 + 1, rows));
  }

  // Hands the oldest pending cell to the writer, then progress, messages and the stop flag.
  void DeliverOne(int64_t total) {
    std::unique_ptr<CellJob> job = std::move(pending_.front());
    pending_.pop_front();
    job->done.get();  // rethrows the job's error
    if (sink_) sink_(job->cell);
    result_.LastTileName = job->cell.TileName;
    ++result_.CellsDone;
    spare_.push_back(std::move(job->cell.Picture));  // the next cells' pictures reuse the memory
    job.reset();
    if (cb_.OnProgress) cb_.OnProgress(result_.CellsDone, total);
    if (cb_.ProcessMessages) cb_.ProcessMessages();
    if (StopSet()) result_.Stopped = true;
  }

  // Hands over every pending cell; false when the stop flag ended the run meanwhile.
  bool DeliverAll() {
    const int64_t total = int64_t(area_.Cols) * area_.Rows;
    while (!pending_.empty() && !result_.Stopped) DeliverOne(total);
    return !result_.Stopped;
  }

  bool DecodeSource(bool raise) {
    if (sourceTried_) return source_ != nullptr;
    sourceTried_ = true;
    try {
      Bitmap24 pic = LoadPicture24(src_.SourceFileName);
      auto decoded = std::make_unique<Bitmap32>();
      decoded->CopyFrom(pic);
      source_ = std::move(decoded);
    } catch (const std::exception&) {
      if (raise) throw;
    }
    return source_ != nullptr;
  }

  int SourceSide(bool width) {
    if (sourceSize_.Width == 0 && UpperCaseAscii(ExtractFileExt(src_.SourceFileName)).rfind(".JP", 0) == 0) {
      try {
        sourceSize_ = ReadJpegSize(src_.SourceFileName);
      } catch (const std::exception&) {
      }
    }
    return width ? sourceSize_.Width : sourceSize_.Height;
  }

  // The tile-not-found question, or the remembered answer.
  int Answer(const std::string& missing) {
    if (remembered_ != 0) return remembered_;
    int a = kAnswerAuto;
    if (cb_.AskTileNotFound) a = cb_.AskTileNotFound(missing, policy_.OfferSourceAnswer);
    if (a == kAnswerAutoSource && !policy_.OfferSourceAnswer) a = kAnswerAuto;
    if (a == kAnswerAutoSource && !sourceExists_) a = kAnswerAuto;
    switch (a) {
      case kAnswerReplace:
      case kAnswerReplaceAllRest:
      case kAnswerAuto:
      case kAnswerAutoSource:
        break;
      default:
        a = kAnswerCancel;
    }
    if (a == kAnswerAuto || a == kAnswerAutoSource) remembered_ = a;
    return a;
  }

  // Reads the cell's records and decides how it is made (calling thread only). Returns
  // nothing when the stop flag ended the run while earlier cells were handed over.
  std::unique_ptr<CellJob> Prepare(int32_t c, int32_t r) {
    auto job = std::make_unique<CellJob>();
    CellJob& j = *job;
    RenderedCell& cell = j.cell;
    if (!spare_.empty()) {
      cell.Picture = std::move(spare_.back());
      spare_.pop_back();
    }
    cell.AreaCol = c;
    cell.AreaRow = r;
    cell.Col = area_.FirstCol + c;
    cell.Row = area_.FirstRow + r;
    cell.Record = CellToRow(cell.Row, cell.Col, src_.GridCols);
    const Rect rc = CellRectInArea(st_, area_, c, r);
    cell.X = st_.BorderLeft + rc.Left;
    cell.Y = st_.BorderTop + rc.Top;
    j.width = rc.Width();
    j.height = rc.Height();
    j.region = CellSourceRegion(src_, cell.Col, cell.Row);

    TQVData& mosaic = *src_.Mosaic;
    j.info = mosaic.RecordInfo(cell.Record);
    cell.TileName = j.info.Name;
    const bool blank = IsBlankName(j.info.Name);

    if (!useOriginals_) {
      j.kind = CellKind::Compose;
    } else if (blank && !policy_.EmptyCellsAsMissing) {
      j.kind = st_.DetailedBackground && sourceExists_ && DecodeSource(false) ? CellKind::SourceDecoded
                                                                              : CellKind::PlainStretch;
    } else if (!blank && FileExists(j.info.Name)) {
      j.kind = CellKind::Original;
    } else {
      // Every earlier cell reaches the writer before the question is asked.
      if (remembered_ == 0 && !DeliverAll()) return nullptr;
      switch (Answer(j.info.Name)) {
        case kAnswerReplaceAllRest:
          useOriginals_ = false;
          [[fallthrough]];
        case kAnswerReplace:
        case kAnswerAuto:
          j.kind = policy_.PlainReplacement ? CellKind::PlainStretch : CellKind::Compose;
          break;
        case kAnswerAutoSource:
          j.kind = CellKind::SourceFile;
          break;
        default:
          j.kind = CellKind::Nothing;
          cell.Drawn = false;
          cancelled_ = true;
          if (cb_.StopRequested) cb_.StopRequested->store(true);
          break;
      }
    }

    if (j.kind == CellKind::Compose || j.kind == CellKind::PlainStretch) {
      // The stored picture as the engine gives it: the thumbnail, or the record's colour grid
      // when it has none (an empty cell) or it does not decode.
      if (j.info.ThumbOffset != 0) j.thumb = thumbs_.Get(mosaic.ThumbEntry(j.info.ThumbOffset));
      j.blank.SetSize(mosaic.GridW, mosaic.GridH);
      DrawSignature(mosaic.RecordSignature(cell.Record), mosaic.ColorSystem, j.blank);
    }
    if (j.kind == CellKind::Compose || j.kind == CellKind::Original) {
      TQVData& plan = *src_.Plan;
      j.target.SetSize(plan.GridW, plan.GridH);
      DrawSignature(plan.RecordSignature(cell.Record), plan.ColorSystem, j.target);
    }
    if (j.kind == CellKind::SourceFile) {
      sourceDivisorX_ = RegionDivisor(j.region.Left, j.region.Right, SourceSide(true));
      sourceDivisorY_ = RegionDivisor(j.region.Top, j.region.Bottom, SourceSide(false));
    }
    j.sourceDivisorX = sourceDivisorX_;
    j.sourceDivisorY = sourceDivisorY_;
    j.fullSource = source_.get();
    return job;
  }

  // Makes the cell's picture (any thread).
  void Build(CellJob& j) const {
    RenderedCell& cell = j.cell;
    const Rect& g = j.region;
    ComposeCellParams p;
    p.Width = j.width;
    p.Height = j.height;
    p.Sharpen = st_.Sharpen;
    p.Alpha = st_.BlendAlpha;
    p.Percent = st_.CorrectionPercent;
    p.Detailed = st_.DetailedBlend;
    p.FullSource = j.fullSource;
    p.X1 = g.Left;
    p.Y1 = g.Top;
    p.X2 = g.Right;
    p.Y2 = g.Bottom;
    p.DetailWidth = j.width;
    p.DetailHeight = j.height;

    // The stored picture stretched over the cell: shared with the other cells of its size
    // showing the same thumbnail, or made here from the record's colour grid.
    std::shared_ptr<const ScaledTile> shared;
    auto scaled = [&](bool sharpen, ScaledTile& local) -> const ScaledTile& {
      if (j.thumb) {
        shared = scaledTiles_.Get(j.thumb, j.width, j.height, sharpen);
        if (shared) return *shared;
      }
      Bitmap32 blank;
      blank.CopyFrom(j.blank);
      MakeScaledTile(blank, j.width, j.height, sharpen, local);
      return local;
    };

    switch (j.kind) {
      case CellKind::Compose: {
        ScaledTile local;
        FinishCell(scaled(st_.Sharpen, local), j.target, p, cell.Picture);
        break;
      }
      case CellKind::PlainStretch: {
        ScaledTile local;
        FinishCell(scaled(false, local), Bitmap24(), ComposeCellParams(), cell.Picture);
        break;
      }
      case CellKind::Original: {
        const TTileInfo& t = j.info;
        Bitmap32 picture;
        LoadPictureRegion(t.Name, t.CropLeft, t.CropTop, t.CropRight, t.CropBottom,
                          RegionDivisor(t.CropLeft, t.CropRight, t.PicWidth),
                          RegionDivisor(t.CropTop, t.CropBottom, t.PicHeight), j.width, j.height, st_.FastJpeg,
                          picture);
        if (st_.Sharpen) Convolve3x3(picture, SharpenKernel, kSharpenDivisor);
        ScaledTile loaded;
        loaded.Level = ChannelRms(picture);
        picture.ToBitmap24(loaded.Picture);
        FinishCell(loaded, j.target, p, cell.Picture);
        break;
      }
      case CellKind::SourceDecoded:
        cell.Picture = FillCellFromPicture(*j.fullSource, g.Left, g.Top, g.Right, g.Bottom, 0, 0, j.width, j.height,
                                           st_.FastJpeg, st_.Sharpen);
        break;
      case CellKind::SourceFile:
        cell.Picture = FillCellFromPicture(src_.SourceFileName, g.Left, g.Top, g.Right, g.Bottom, j.sourceDivisorX,
                                           j.sourceDivisorY, j.width, j.height, st_.FastJpeg, st_.Sharpen);
        break;
      case CellKind::Nothing:
        break;
    }
  }

  const RenderSource& src_;
  const RenderSettings& st_;
  const RenderArea area_;
  const RenderCallbacks& cb_;
  const CellSink& sink_;
  const MissingTilePolicy policy_;
  bool useOriginals_;
  const bool sourceExists_;
  int remembered_ = 0;      // "Auto" or "Auto replace with source" once answered
  bool cancelled_ = false;  // "Cancel" answered: the run ends after this cell
  std::unique_ptr<Bitmap32> source_;
  bool sourceTried_ = false;
  JpegSize sourceSize_;
  double sourceDivisorX_ = 0, sourceDivisorY_ = 0;
  ThumbCache thumbs_;
  mutable ScaledTileCache scaledTiles_;
  std::vector<Bitmap24> spare_;  // cell pictures handed over, to be reused
  std::deque<std::unique_ptr<CellJob>> pending_;
  std::atomic<bool> cancel_{false};
  RenderResult result_;
};

// Switches the mosaic's ShowThumbs on for the run and restores it on every way out.
struct ShowThumbsGuard {
  TQVData& t;
  bool old;
  explicit ShowThumbsGuard(TQVData& data) : t(data), old(data.ShowThumbs) { t.ShowThumbs = true; }
  ~ShowThumbsGuard() { t.ShowThumbs = old; }
};

}  // namespace

RenderResult RenderCells(const RenderSource& source, const RenderSettings& settings, const RenderArea& area,
                         const RenderCallbacks& callbacks, const CellSink& sink, const MissingTilePolicy& policy) {
  if (!source.Mosaic || !source.Plan) throw EQuivara("No mosaic to render");
  if (area.Cols <= 0 || area.Rows <= 0 || source.GridCols <= 0 || source.GridRows <= 0) return RenderResult();
  if (area.FirstCol < 0 || area.FirstRow < 0 || area.FirstCol + area.Cols > source.GridCols ||
      area.FirstRow + area.Rows > source.GridRows)
    throw EQuivara("The render area lies outside the mosaic grid");
  ShowThumbsGuard guard(*source.Mosaic);
  RenderRun run(source, settings, area, callbacks, sink, policy);
  return run.Run();
}

}  // namespace qv
