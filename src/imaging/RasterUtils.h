#pragma once
// Pixel-level chores shared by the whole program.
#include <cstdint>
#include <string>

#include "base/Geometry.h"
#include "raster/Bitmap24.h"

namespace qv {

constexpr uint8_t ClampByte(int v) { return v < 0 ? 0 : (v > 255 ? 255 : uint8_t(v)); }
constexpr int ClampInt(int v, int lo, int hi) { return v > hi ? hi : (v > lo ? v : lo); }

// The largest rectangle of src's proportions that fits box, centred in it. Leaves result
// untouched when src has no area; returns src unchanged when the box has no width.
void FitRectKeepAspect(const Rect& src, const Rect& box, Rect& result);
Rect FitRectKeepAspect(const Rect& src, const Rect& box);
// As FitRectKeepAspect for a box at (0, 0), but a source that fits is only centred.
void FitRectOrCenter(int srcW, int srcH, int boxW, int boxH, Rect& result);

// Where a group box shows a picture (FitImageInBox of the windows): its client rectangle with
// the top moved down 10 pixels, below the caption, and the other three sides in by 1 pixel.
Rect GroupBoxImageArea(const Rect& groupBoxClient);
// The bounds of an image control showing a picture of pictureW x pictureH in a group box: the
// picture fitted into GroupBoxImageArea keeping its proportions. bounds is left as it was when
// the picture has no area.
void FitImageInBoxBounds(int pictureW, int pictureH, const Rect& groupBoxClient, Rect& bounds);

// Grey difference: every channel of out = (|dB| + |dG| + |dR|) div 3. out takes a's size.
void DifferenceImage(const Bitmap24& a, const Bitmap24& b, Bitmap24& out);

// "", "H", "V" or "180" for a placement rectangle; text is left as it was when a pair of
// coordinates is equal.
void FlipCode(int x1, int y1, int x2, int y2, std::string& text);
std::string FlipCode(int x1, int y1, int x2, int y2);

// "2.86 MB": two decimals with thousands separators, units Bytes, KB, MB, GB.
std::string FormatByteSize(int64_t bytes);

// A new, unique, empty file in the system temporary folder whose name starts with the first
// three characters of prefix. Throws EStreamError when it cannot be created.
std::string MakeTempFileName(const std::string& prefix);

// Stored filter code to filter number: 0..5 kept, anything else 6 (Mitchell).
int ResampleFilterFromCode(int code);

}  // namespace qv
