#pragma once
#include <cstdint>

namespace qv {

// Left, Top, Right, Bottom; Right and Bottom exclusive. Reversed corners
// (Right < Left, Bottom < Top) mean a mirrored tile where rectangles describe placements.
struct Rect {
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Right = 0;
  int32_t Bottom = 0;

  constexpr int32_t Width() const { return Right - Left; }
  constexpr int32_t Height() const { return Bottom - Top; }
  constexpr bool operator==(const Rect&) const = default;
};

struct Point {
  int32_t X = 0;
  int32_t Y = 0;
  constexpr bool operator==(const Point&) const = default;
};

// A width and a height: of a picture in pixels, or of a grid in columns and rows of cells.
struct Size {
  int32_t Width = 0;
  int32_t Height = 0;
  constexpr bool operator==(const Size&) const = default;
};

}  // namespace qv
