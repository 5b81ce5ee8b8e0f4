#pragma once
// Pieces the output writers share: the outcome of a run and its standard texts.
#include <string>

#include "output/RenderSettings.h"

namespace qv {

inline const char* const kCancelledText = "Procedure cancelled by user";

struct WriteOutcome {
  bool Stopped = false;
  std::string Message;  // what the window shows when the run ends
};

// Every writer starts with the stop request cleared, so that a request left over from an
// earlier pass cannot end this run before its first cell.
inline void ClearStopRequest(const RenderCallbacks& cb) {
  if (cb.StopRequested) cb.StopRequested->store(false);
}

// Tells the status callback, if there is one.
inline void ReportStatus(const RenderCallbacks& cb, const std::string& text) {
  if (cb.OnStatus) cb.OnStatus(text);
}

// "%.3d-%.3d-%s" with row + 1, col + 1 and the tile file name without folder, its extension
// replaced by ext (numbers of 1000 and more are written in full).
std::string CellFileName(int32_t row, int32_t col, const std::string& tileName, const std::string& ext);

}  // namespace qv
