#pragma once
// Runs one output writer on a worker thread while the user-interface thread keeps its
// windows alive in a local event loop, and returns when the writer has finished.
//
// The writer's callbacks are carried over to the user-interface thread: progress is
// sampled by a timer (so a run of millions of cells does not flood the event queue),
// status texts arrive in order through queued calls, and the tile-not-found question is
// asked on the user-interface thread while the writer waits for the answer. The stop flag is
// shared: "Stop" sets it and the writer polls it. An error the writer raises is raised again
// on the calling thread.
#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "output/RenderSettings.h"
#include "output/WriterCommon.h"

namespace qv {

struct TOutputRunView {
  std::function<void(int64_t done, int64_t total)> Progress;
  std::function<void(const QString& text)> Status;
  std::function<int(const std::string& missingFile, bool offerSource)> AskTileNotFound;
};

// job receives the callbacks to hand to the writer.
WriteOutcome RunOffUiThread(const std::function<WriteOutcome(const RenderCallbacks&)>& job,
                            std::atomic<bool>* stopRequested, const TOutputRunView& view);

}  // namespace qv
