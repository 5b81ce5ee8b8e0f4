#include "output/TextExport.h"

#include "base/Errors.h"
#include "base/FileUtil.h"
#include "engine/CellGrid.h"
#include "engine/QVData.h"

namespace qv {

std::string TextListLine(int32_t row, int32_t col, const std::string& tileName) {
  char head[32];
  std::snprintf(head, sizeof head, "%4s, %4s, ", std::to_string(row + 1).c_str(), std::to_string(col + 1).c_str());
  return head + tileName;
}

WriteOutcome SaveText(const std::string& fileName, const RenderSource& source, const RenderArea& area,
                      const RenderCallbacks& cb) {
  if (!source.Mosaic) throw EQuivara("No mosaic to list");
  ClearStopRequest(cb);
  const std::string name = ChangeFileExt(fileName, ".txt");
  TQVData& mosaic = *source.Mosaic;
  const bool oldShow = mosaic.ShowThumbs;
  mosaic.ShowThumbs = false;
  struct Restore {
    TQVData& m;
    bool v;
    ~Restore() { m.ShowThumbs = v; }
  } restore{mosaic, oldShow};

  AtomicFileWriter out(name);
  const int64_t total = int64_t(area.Cols) * area.Rows;
  int64_t done = 0;
  bool stopped = false;
  for (int32_t r = 0; r < area.Rows && !stopped; ++r)
    for (int32_t c = 0; c < area.Cols; ++c) {
      const int32_t col = area.FirstCol + c, row = area.FirstRow + r;
      out.Write(TextListLine(row, col, mosaic.RecordName(CellToRow(row, col, source.GridCols))) + "\r\n");
      if (cb.OnProgress) cb.OnProgress(++done, total);
      if (cb.ProcessMessages) cb.ProcessMessages();
      if (cb.StopRequested && cb.StopRequested->load()) {
        stopped = true;
        break;
      }
    }
  out.Commit();
  WriteOutcome result;
  result.Stopped = stopped;
  result.Message = "Saved to " + name;
  ReportStatus(cb, result.Message);
  return result;
}

}  // namespace qv
