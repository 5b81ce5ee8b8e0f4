#pragma once
// Rounding used wherever the program rounds a real value to an integer:
// to the nearest integer, halves going to the even neighbour (2.5 -> 2, 3.5 -> 4,
// -2.5 -> -2). It does not depend on the floating-point rounding mode.
#include <cmath>
#include <cstdint>

namespace qv {

inline double RoundHalfEvenReal(double v) {
  double r = std::round(v);                 // halves away from zero
  if (std::fabs(v - std::trunc(v)) == 0.5)  // exact tie: take the even neighbour
    r = 2.0 * std::round(v / 2.0);
  return r;
}

inline long double RoundHalfEvenReal(long double v) {
  long double r = std::round(v);
  if (std::fabs(v - std::trunc(v)) == 0.5L) r = 2.0L * std::round(v / 2.0L);
  return r;
}

inline int32_t RoundHalfEven(double v) { return static_cast<int32_t>(RoundHalfEvenReal(v)); }
inline int32_t RoundHalfEven(long double v) { return static_cast<int32_t>(RoundHalfEvenReal(v)); }
inline int64_t RoundHalfEven64(double v) { return static_cast<int64_t>(RoundHalfEvenReal(v)); }
inline int64_t RoundHalfEven64(long double v) { return static_cast<int64_t>(RoundHalfEvenReal(v)); }

}  // namespace qv
