#include "engine/TilePipeline.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <memory>

#include "engine/TileHelper.h"

namespace qv {

TilePipeline::TilePipeline(const std::vector<std::string>& files, const TBuildSettings& settings, int threads,
                           size_t window)
    : files_(files), settings_(settings), window_(std::max<size_t>(window, 1)), limit_(window_) {
  if (settings_.IsolateDecoders) {
    helperProgram_ = TileHelperPath();
    // One helper is tried here, so a missing or broken helper program is found out once
    // and the pictures are prepared in this process instead.
    if (!helperProgram_.empty() && ::pipe2(cancelPipe_, O_CLOEXEC) == 0) {
      TTileHelper probe(helperProgram_);
      isolated_ = probe.Start();
    }
  }
  threads = std::max(threads, 1);
  threads_.reserve(static_cast<size_t>(threads));
  for (int i = 0; i < threads; ++i) threads_.emplace_back([this] { Work(); });
}

TilePipeline::~TilePipeline() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    cancelled_ = true;
  }
  if (cancelPipe_[1] >= 0) {
    const char stop = 1;
    [[maybe_unused]] ssize_t n = ::write(cancelPipe_[1], &stop, 1);
  }
  workAvailable_.notify_all();
  for (auto& t : threads_) t.join();
  for (int fd : cancelPipe_)
    if (fd >= 0) ::close(fd);
}

void TilePipeline::Work() {
  // The helper lives with this thread: started with it (or again after a failure), stopped
  // when the thread ends.
  std::unique_ptr<TTileHelper> helper;
  if (isolated_) helper = std::make_unique<TTileHelper>(helperProgram_);
  while (true) {
    size_t index;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      workAvailable_.wait(lock, [&] { return cancelled_ || next_ >= files_.size() || next_ < limit_; });
      if (cancelled_ || next_ >= files_.size()) return;
      index = next_++;
    }
    TPreparedTile tile;
    if (helper && !helper->Running()) helper->Start(cancelPipe_[0]);
    if (helper && helper->Running()) {
      if (helper->Prepare(files_[index], settings_, settings_.PictureTimeLimitMs, cancelPipe_[0], tile) ==
          TTileHelper::TOutcome::Cancelled)
        return;
    } else {
      // No helper (none wanted, or it cannot be started again): this process decodes.
      tile = PrepareTile(files_[index], settings_);
    }
    {
      std::lock_guard<std::mutex> lock(mutex_);
      done_.emplace(index, std::move(tile));
    }
    resultReady_.notify_all();
  }
}

std::optional<TPreparedTile> TilePipeline::Take(size_t i, const std::function<bool()>& stillWanted) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (i + 1 + window_ > limit_) {
    limit_ = i + 1 + window_;
    workAvailable_.notify_all();
  }
  while (done_.count(i) == 0) {
    if (!stillWanted) {
      resultReady_.wait(lock);
      continue;
    }
    if (resultReady_.wait_for(lock, std::chrono::milliseconds(50), [&] { return done_.count(i) != 0; })) break;
    lock.unlock();
    const bool wanted = stillWanted();
    lock.lock();
    if (!wanted) return std::nullopt;
  }
  auto it = done_.find(i);
  TPreparedTile tile = std::move(it->second);
  done_.erase(it);
  return tile;
}

}  // namespace qv
