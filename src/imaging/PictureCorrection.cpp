#include "imaging/PictureCorrection.h"

#include <array>

#include "imaging/RasterUtils.h"

namespace qv {

namespace {

// Which of the bytes blue, green, red of a pixel the channel number selects.
struct Channels {
  bool on[3] = {false, false, false};
  int count = 0;
};

Channels Selected(int channel) {
  Channels c;
  switch (channel) {
    case 0:
      c.on[0] = c.on[1] = c.on[2] = true;
      break;
    case 1:
      c.on[2] = true;
      break;  // red
    case 2:
      c.on[1] = true;
      break;  // green
    case 3:
      c.on[0] = true;
      break;  // blue
    default:
      break;
  }
  c.count = int(c.on[0]) + int(c.on[1]) + int(c.on[2]);
  return c;
}

// Floor of n / 256 for any sign (the tables stay right for values outside the slider ranges).
constexpr int FloorDiv256(int n) { return n >= 0 ? n / 256 : -((-n + 255) / 256); }

void ApplyTable(Bitmap24& bmp, const std::array<uint8_t, 256>& table, int channel) {
  const Channels sel = Selected(channel);
  if (sel.count == 0) return;
  for (int y = 0; y < bmp.Height(); ++y) {
    uint8_t* p = bmp.Row(y);
    for (int x = 0; x < bmp.Width(); ++x, p += 3)
      for (int ch = 0; ch < 3; ++ch)
        if (sel.on[ch]) p[ch] = table[p[ch]];
  }
}

}  // namespace

void ApplyContrast(Bitmap24& bmp, int c, int channel) {
  std::array<uint8_t, 256> table;
  for (int i = 0; i < 256; ++i) table[i] = ClampByte(i + (i - 128) * c / 256);
  ApplyTable(bmp, table, channel);
}

void ApplyBrightness(Bitmap24& bmp, int b, int channel) {
  std::array<uint8_t, 256> table;
  for (int i = 0; i < 256; ++i) table[i] = ClampByte(b < 0 ? i - FloorDiv256(i * -b) : i + FloorDiv256((255 - i) * b));
  ApplyTable(bmp, table, channel);
}

void ApplySaturation(Bitmap24& bmp, int s, int channel) {
  const Channels sel = Selected(channel);
  if (sel.count == 0) return;
  // v' = m − floor(s·m / 256) + floor(s·v / 256), m = (B + G + R) div 3 of the unchanged pixel.
  std::array<int, 256> scaled;
  std::array<int, 766> grey;
  for (int v = 0; v < 256; ++v) scaled[v] = FloorDiv256(s * v);
  for (int sum = 0; sum < 766; ++sum) grey[sum] = sum / 3 - FloorDiv256(s * (sum / 3));
  for (int y = 0; y < bmp.Height(); ++y) {
    uint8_t* p = bmp.Row(y);
    for (int x = 0; x < bmp.Width(); ++x, p += 3) {
      const int base = grey[p[0] + p[1] + p[2]];
      for (int ch = 0; ch < 3; ++ch)
        if (sel.on[ch]) p[ch] = ClampByte(base + scaled[p[ch]]);
    }
  }
}

// In place, rows from the top and pixels from the left, so samples above and to the left
// already hold their new values. Each pixel is compared with the eight pixels |a| away
// around it. A positive a sharpens: 2 x centre - the mean of the eight. A negative a
// blurs: the mean of all nine, rounded; worked in place the blur also carries the new values
// of the pixels before it, which only softens it further.
void ApplySharpen(Bitmap24& bmp, int a, int channel) {
  const Channels sel = Selected(channel);
  const int w = bmp.Width(), h = bmp.Height();
  if (sel.count == 0 || a == 0 || w <= 0 || h <= 0) return;
  const bool blur = a < 0;
  for (int y = 0; y < h; ++y) {
    const uint8_t* above = bmp.Row(ClampInt(y - a, 0, h - 1));
    const uint8_t* below = bmp.Row(ClampInt(y + a, 0, h - 1));
    uint8_t* row = bmp.Row(y);
    for (int x = 0; x < w; ++x) {
      const int xa = ClampInt(x - a, 0, w - 1) * 3, xb = ClampInt(x + a, 0, w - 1) * 3, xc = x * 3;
      for (int ch = 0; ch < 3; ++ch) {
        if (!sel.on[ch]) continue;
        const int others = above[xa + ch] + above[xc + ch] + above[xb + ch] + row[xa + ch] + row[xb + ch] +
                           below[xa + ch] + below[xc + ch] + below[xb + ch];
        row[xc + ch] =
            blur ? uint8_t((row[xc + ch] + others + 4) / 9) : ClampByte((256 * row[xc + ch] - 16 * others) / 128);
      }
    }
  }
}

}  // namespace qv
