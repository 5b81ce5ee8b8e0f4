#pragma once
// The kernels behind SignatureDistanceInt: the sum of squared byte differences of two
// signatures. The portable one defines the result; the vector ones must give the same for
// every length.
#include <cstdint>

#include "base/KernelChoice.h"

namespace qv {

struct SignatureDistanceKernels {
  const char* name;
  uint64_t (*distance)(const uint8_t* a, const uint8_t* b, int n);
};

// The portable set, the SSE2 and AVX2 sets the processor has, and the one in use.
KernelChoice<SignatureDistanceKernels>& SignatureDistanceKernelChoice();
// The probes of the choice: the set, or nullptr when the processor lacks its instructions.
const SignatureDistanceKernels* Avx2SignatureDistanceKernels();
const SignatureDistanceKernels* Sse2SignatureDistanceKernels();

}  // namespace qv
