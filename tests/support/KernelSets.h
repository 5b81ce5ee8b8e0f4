#pragma once
// A fixture that runs each test once for every set of kernels of one table: parameter i is
// the i-th set the processor can run (0 the portable one), made the active set for the test.
// A parameter beyond the sets this processor has is skipped.
//
//   class TileKernelSets : public qvtest::KernelSetTest<TileKernels, TileKernelChoice> {};
//   INSTANTIATE_TEST_SUITE_P(All, TileKernelSets, ::testing::Range(0, 2));  // portable, AVX2
#include <gtest/gtest.h>

#include <optional>

#include "base/KernelChoice.h"

namespace qvtest {

template <class Kernels, qv::KernelChoice<Kernels>& (*Choice)()>
class KernelSetTest : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    const auto& sets = Choice().Available();
    if (size_t(GetParam()) >= sets.size()) GTEST_SKIP() << "the processor has no kernel set " << GetParam();
    kernels_ = sets[size_t(GetParam())];
    override_.emplace(Choice(), kernels_);
  }
  void TearDown() override { override_.reset(); }

  const Kernels* kernels_ = nullptr;

 private:
  std::optional<typename qv::KernelChoice<Kernels>::Override> override_;
};

}  // namespace qvtest
