#include "output/StatisticReport.h"

#include <algorithm>
#include <cstdio>
#include <numeric>
#include <vector>

#include "base/FileUtil.h"
#include "engine/QVData.h"
#include "output/WriterCommon.h"

namespace qv {

std::string FlipMarker(int x1, int y1, int x2, int y2) {
  if (x2 < x1 && y2 < y1) return "(R)";
  if (x2 < x1 && y1 < y2) return "(H)";
  if (x1 < x2 && y2 < y1) return "(V)";
  return "";
}

namespace {

constexpr const char* kCrLf = "\r\n";
const std::string kSummarySpaces(51, ' ');

struct Group {
  std::string name;
  int count = 0;
  std::string items;
};

void AppendGroup(std::string& out, const Group& g) {
  char count[16];
  std::snprintf(count, sizeof count, "%4s", std::to_string(g.count).c_str());
  out += count;
  out += ", " + g.name + " , " + g.items + kCrLf;
}

// Empty cells carry no name, or the blank name a cell gets from the plan when it is erased.
bool NamesAPicture(const std::string& name) { return name.find_first_not_of(' ') != std::string::npos; }

}  // namespace

std::string MakeStatisticReport(TQVData& mosaic, int32_t gridCols, const RenderCallbacks& cb, int32_t* pictures) {
  ReportStatus(cb, "Sorting...");
  if (cb.ProcessMessages) cb.ProcessMessages();
  // Records by file name, byte order, equal names in record order (full names: no two
  // groups of one name even when names share a long beginning).
  const int32_t n = mosaic.TableIsOpen() ? mosaic.Count : 0;
  std::vector<std::string> names(size_t(std::max(n, 0)));
  std::vector<TTileInfo> infos(names.size());
  for (int32_t i = 1; i <= n; ++i) infos[size_t(i - 1)] = mosaic.RecordInfo(i);
  std::vector<int32_t> order(names.size());
  std::iota(order.begin(), order.end(), 1);
  std::stable_sort(order.begin(), order.end(),
                   [&](int32_t a, int32_t b) { return infos[size_t(a - 1)].Name < infos[size_t(b - 1)].Name; });

  std::string out;
  out += kCrLf;
  out += kSummarySpaces + kCrLf;
  out += std::string("Mosaic picture tiles statistic:") + kCrLf;
  out += kSummarySpaces + kCrLf;
  out += kCrLf;
  out += std::string("(H): Horisontal flip; (V): Vertical flip; (R):180 rotated") + kCrLf;
  out += std::string("Times used          File Name          Tile positions Col x Row (Flip)") + kCrLf;

  int32_t count = 0;
  Group g;
  bool first = true;
  const int32_t cols = std::max(gridCols, 1);
  for (int32_t i = 0; i < n; ++i) {
    const int32_t rec = order[size_t(i)];
    const TTileInfo& t = infos[size_t(rec - 1)];
    const int32_t col = (rec - 1) % cols, row = (rec - 1) / cols;
    const std::string item = " " + std::to_string(col + 1) + "x" + std::to_string(row + 1) +
                             FlipMarker(t.CropLeft, t.CropTop, t.CropRight, t.CropBottom) + " ";
    if (first || t.Name != g.name) {
      if (!first && NamesAPicture(g.name)) {
        AppendGroup(out, g);
        ++count;
      }
      g = Group{t.Name, 1, item};
      first = false;
    } else {
      ++g.count;
      g.items += item;
    }
    if (cb.OnProgress) cb.OnProgress(i + 1, n);
    if (cb.ProcessMessages) cb.ProcessMessages();
  }
  if (!first && NamesAPicture(g.name)) {
    AppendGroup(out, g);
    ++count;
  }
  const std::string summary = std::to_string(count) + " unique pictures were used.";
  std::copy_n(summary.begin(), std::min(summary.size(), kSummarySpaces.size()), out.begin() + 2);
  if (pictures) *pictures = count;
  return out;
}

int32_t SaveStatisticReport(const std::string& fileName, TQVData& mosaic, int32_t gridCols, const RenderCallbacks& cb) {
  int32_t count = 0;
  const std::string report = MakeStatisticReport(mosaic, gridCols, cb, &count);
  AtomicFileWriter out(fileName);
  out.Write(report);
  out.Commit();
  ReportStatus(cb, "Saved to " + fileName);
  return count;
}

}  // namespace qv
