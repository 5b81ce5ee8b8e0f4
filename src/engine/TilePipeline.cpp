#include "engine/TilePipeline.h"

#include <algorithm>

namespace qv {

TilePipeline::TilePipeline(const std::vector<std::string>& files, const TBuildSettings& settings, int threads,
                           size_t window)
    : files_(files), settings_(settings), window_(std::max<size_t>(window, 1)), limit_(window_) {
  threads = std::max(threads, 1);
  threads_.reserve(static_cast<size_t>(threads));
  for (int i = 0; i < threads; ++i) threads_.emplace_back([this] { Work(); });
}

TilePipeline::~TilePipeline() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    cancelled_ = true;
  }
  workAvailable_.notify_all();
  for (auto& t : threads_) t.join();
}

void TilePipeline::Work() {
  while (true) {
    size_t index;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      workAvailable_.wait(lock, [&] { return cancelled_ || next_ >= files_.size() || next_ < limit_; });
      if (cancelled_ || next_ >= files_.size()) return;
      index = next_++;
    }
    TPreparedTile tile = PrepareTile(files_[index], settings_);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      done_.emplace(index, std::move(tile));
    }
    resultReady_.notify_all();
  }
}

TPreparedTile TilePipeline::Take(size_t i) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (i + 1 + window_ > limit_) {
    limit_ = i + 1 + window_;
    workAvailable_.notify_all();
  }
  resultReady_.wait(lock, [&] { return done_.count(i) != 0; });
  auto it = done_.find(i);
  TPreparedTile tile = std::move(it->second);
  done_.erase(it);
  return tile;
}

}  // namespace qv
