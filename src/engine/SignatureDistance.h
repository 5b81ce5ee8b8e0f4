#pragma once
// The kernels behind SignatureDistanceInt. The portable one defines the result; the vector
// ones must give the same for every length.
#include <cstdint>

namespace qv {

using SignatureDistanceFn = uint64_t (*)(const uint8_t* a, const uint8_t* b, int n);

uint64_t SignatureDistancePortable(const uint8_t* a, const uint8_t* b, int n);
uint64_t SignatureDistanceSse2(const uint8_t* a, const uint8_t* b, int n);
// nullptr when the processor lacks AVX2.
SignatureDistanceFn SignatureDistanceAvx2Kernel();

}  // namespace qv
