#pragma once
// The render command's pieces, shared with the demo command.
#include <functional>
#include <string>

#include "cli/CliCommon.h"
#include "output/RenderSettings.h"

namespace qv {
class TQVData;
}

namespace qvcli {

// Settings, area and the answer to the tile-not-found question, from the command's options.
struct RenderJob {
  qv::RenderSettings Settings;
  qv::RenderArea Area;
  std::function<int(const std::string&, bool)> Ask;
};

RenderJob RenderJobFromArgs(const Args& args, const qv::TQVData& plan, const qv::TQVData& mosaic);
// Writes out by its extension (.jpg/.tif/.bmp poster or direct, .html, .txt, --sequence),
// with a progress bar and Ctrl+C as the stop request. Returns the exit status.
int RunRenderJob(const std::string& out, const RenderJob& job, qv::TQVData& plan, qv::TQVData& mosaic, bool sequence,
                 bool direct);

}  // namespace qvcli
