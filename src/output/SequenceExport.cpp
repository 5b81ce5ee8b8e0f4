#include "output/SequenceExport.h"

#include "base/FileUtil.h"
#include "codecs/BmpCodec.h"

namespace qv {

std::string SequenceFileName(const std::string& fileName, int32_t row, int32_t col, const std::string& tileName) {
  return ChangeFileExt(fileName, "") + "-" + CellFileName(row, col, tileName, ".bmp");
}

WriteOutcome SaveSequence(const std::string& fileName, const RenderSource& source, const RenderSettings& settings,
                          const RenderArea& area, const RenderCallbacks& cb) {
  ClearStopRequest(cb);
  RenderSettings st = settings;
  st.BorderLeft = st.BorderTop = st.BorderRight = st.BorderBottom = 0;
  st.GridWidth = 0;
  MissingTilePolicy policy;
  policy.EmptyCellsAsMissing = true;
  policy.PlainReplacement = true;
  RenderResult run = RenderCells(
      source, st, area, cb,
      [&](const RenderedCell& cell) {
        if (cell.Drawn) SaveBmpFile(SequenceFileName(fileName, cell.Row, cell.Col, cell.TileName), cell.Picture);
      },
      policy);
  WriteOutcome out;
  out.Stopped = run.Stopped;
  out.Message = run.Stopped ? std::string(kCancelledText)
                            : "Sequence saved to files: " + ChangeFileExt(fileName, "") + "-ROW-COL-" +
                                  ChangeFileExt(ExtractFileName(run.LastTileName), ".bmp");
  ReportStatus(cb, out.Message);
  return out;
}

}  // namespace qv
