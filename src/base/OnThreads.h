#pragma once
// Shares one piece of work out over threads for the passes that split their items by stride.
#include <cstddef>
#include <thread>
#include <vector>

namespace qv {

// Runs work(from, step) on n threads, the calling one included: thread `from` takes the items
// from, from + step, from + 2 x step ... of whatever work shares out. Returns when all are done.
template <typename Work>
void OnThreads(size_t n, Work&& work) {
  std::vector<std::thread> pool;
  for (size_t i = 1; i < n; ++i) pool.emplace_back([&work, i, n] { work(i, n); });
  work(0, n);
  for (auto& th : pool) th.join();
}

}  // namespace qv
