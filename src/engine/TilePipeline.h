#pragma once
// Prepares the tiles of a list of picture files a few files ahead of the caller, who takes
// the results strictly in list order. Each worker thread prepares its pictures itself, or,
// with TScanSettings::IsolateDecoders, has a helper process prepare them (engine/TileHelper.h):
// a picture whose decoder crashes or overruns the time limit there comes back as not
// prepared, and the helper is started again for the next one. The results are the same as
// PrepareTile called in order on the calling thread; only the time they take changes.
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "engine/TileBuilder.h"

namespace qv {

class TilePipeline {
 public:
  // window: how many files beyond the one being taken the workers may prepare.
  TilePipeline(const std::vector<std::string>& files, const TBuildSettings& settings, int threads, size_t window);
  // Stops handing out files, stops the helpers (a picture in a helper is dropped at once) and
  // waits for the workers (one preparing in this process finishes its current picture).
  ~TilePipeline();
  TilePipeline(const TilePipeline&) = delete;
  TilePipeline& operator=(const TilePipeline&) = delete;

  // The prepared tile of files[i]; blocks until it is ready. Call with i = 0, 1, 2, ...
  // While it waits, stillWanted (when given) is called about every 50 ms; once it returns
  // false the wait ends without a tile.
  std::optional<TPreparedTile> Take(size_t i, const std::function<bool()>& stillWanted = nullptr);

  // Whether the pictures are prepared in helper processes (false when none could be started).
  bool Isolated() const { return isolated_; }

 private:
  void Work();

  const std::vector<std::string>& files_;
  const TBuildSettings settings_;
  const size_t window_;
  std::string helperProgram_;
  bool isolated_ = false;
  int cancelPipe_[2] = {-1, -1};  // written once when the pipeline ends; wakes helper waits
  std::mutex mutex_;
  std::condition_variable workAvailable_;
  std::condition_variable resultReady_;
  size_t next_ = 0;   // next file to hand out
  size_t limit_ = 0;  // files below this index may be handed out
  bool cancelled_ = false;
  std::map<size_t, TPreparedTile> done_;
  std::vector<std::thread> threads_;
};

}  // namespace qv
