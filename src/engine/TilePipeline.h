#pragma once
// Prepares the tiles of a list of picture files on worker threads, a few files ahead of the
// caller, who takes the results strictly in list order. The results are the same as
// PrepareTile called in order on the calling thread; only the time they take changes.
#include <condition_variable>
#include <cstddef>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine/TileBuilder.h"

namespace qv {

class TilePipeline {
 public:
  // window: how many files beyond the one being taken the workers may prepare.
  TilePipeline(const std::vector<std::string>& files, const TBuildSettings& settings, int threads, size_t window);
  // Stops handing out files and waits for the workers (each finishes its current picture).
  ~TilePipeline();
  TilePipeline(const TilePipeline&) = delete;
  TilePipeline& operator=(const TilePipeline&) = delete;

  // The prepared tile of files[i]; blocks until it is ready. Call with i = 0, 1, 2, ...
  TPreparedTile Take(size_t i);

 private:
  void Work();

  const std::vector<std::string>& files_;
  const TBuildSettings settings_;
  const size_t window_;
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
