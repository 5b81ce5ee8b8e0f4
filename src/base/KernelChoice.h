#pragma once
// The choice among sets of inner-loop kernels that do the same work with different processor
// instructions. A set is a struct of function pointers with a `name`; the portable set
// defines the results and every faster set must give the same. The choice is made once, when
// it is first asked for: the first faster set the processor can run, else the portable one.
// Tests and benchmarks make every user run one given set through an Override.
//
// A table of kernels exposes its choice through one function, as
//   KernelChoice<TileKernels>& TileKernelChoice();
// and its users call TileKernelChoice().Active() once per pass.
#include <atomic>
#include <initializer_list>
#include <vector>

namespace qv {

template <class Kernels>
class KernelChoice {
 public:
  // A faster set, or nullptr when the processor lacks its instructions.
  using Probe = const Kernels* (*)();

  // faster: the probes, the most preferred first.
  KernelChoice(const Kernels& portable, std::initializer_list<Probe> faster) : available_{&portable} {
    for (Probe probe : faster)
      if (const Kernels* k = probe()) available_.push_back(k);
    best_ = available_.size() > 1 ? available_[1] : &portable;
    active_.store(best_, std::memory_order_relaxed);
  }
  KernelChoice(const KernelChoice&) = delete;
  KernelChoice& operator=(const KernelChoice&) = delete;

  const Kernels& Portable() const { return *available_.front(); }
  const Kernels& Best() const { return *best_; }
  // Every set this processor can run, the portable one first.
  const std::vector<const Kernels*>& Available() const { return available_; }
  // The set in use: the best, unless an Override chose another.
  const Kernels& Active() const { return *active_.load(std::memory_order_relaxed); }

  // Makes every user run the given set (nullptr: the best) while it lives, then restores
  // the set that was active before. Set it up while no kernel of this table is running.
  class Override {
   public:
    Override(KernelChoice& choice, const Kernels* kernels)
        : choice_(choice), previous_(choice.active_.load(std::memory_order_relaxed)) {
      choice_.active_.store(kernels ? kernels : choice_.best_, std::memory_order_relaxed);
    }
    ~Override() { choice_.active_.store(previous_, std::memory_order_relaxed); }
    Override(const Override&) = delete;
    Override& operator=(const Override&) = delete;

   private:
    KernelChoice& choice_;
    const Kernels* previous_;
  };

 private:
  std::vector<const Kernels*> available_;
  const Kernels* best_ = nullptr;
  std::atomic<const Kernels*> active_{nullptr};
};

}  // namespace qv
