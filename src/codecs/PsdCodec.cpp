#include "codecs/PsdCodec.h"

#include <cmath>
#include <cstring>
#include <vector>

#include "base/Errors.h"
#include "codecs/CodecSupport.h"

namespace qv {

namespace {

enum PsdMode { kBitmap = 0, kGrey = 1, kIndexed = 2, kRgb = 3, kCmyk = 4, kMultichannel = 7, kDuotone = 8, kLab = 9 };

struct PsdHeader {
  int version = 1;  // 2: large document format (wider length fields)
  int channels = 0;
  int64_t width = 0, height = 0;
  int depth = 0;
  int mode = 0;
};

int ChannelsNeeded(int mode) {
  switch (mode) {
    case kRgb:
    case kLab:
      return 3;
    case kCmyk:
      return 4;
    case kBitmap:
    case kGrey:
    case kIndexed:
    case kMultichannel:
    case kDuotone:
      return 1;
    default:
      throw EPictureError("Unsupported Photoshop colour mode " + std::to_string(mode));
  }
}

uint8_t LinearToSrgbByte(double v) {
  if (!(v > 0)) return 0;  // also catches NaN
  if (v >= 1) return 255;
  double s = v <= 0.0031308 ? 12.92 * v : 1.055 * std::pow(v, 1 / 2.4) - 0.055;
  return uint8_t(std::lround(s * 255));
}

// One stored row of one channel to 8 bits per pixel.
void RowTo8(const uint8_t* src, int depth, int64_t width, uint8_t* out) {
  switch (depth) {
    case 1:  // bit set = black
      for (int64_t x = 0; x < width; ++x) out[x] = (src[x >> 3] & (0x80 >> (x & 7))) ? 0 : 255;
      break;
    case 8:
      std::memcpy(out, src, size_t(width));
      break;
    case 16:
      for (int64_t x = 0; x < width; ++x) out[x] = Scale16To8((unsigned(src[2 * x]) << 8) | src[2 * x + 1]);
      break;
    case 32:  // big-endian floats, linear light
      for (int64_t x = 0; x < width; ++x) {
        const uint8_t* p = src + 4 * x;
        uint32_t bits = (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
        float f;
        std::memcpy(&f, &bits, 4);
        out[x] = LinearToSrgbByte(f);
      }
      break;
  }
}

// PackBits: a header byte n, then n + 1 literal bytes (n >= 0) or one byte repeated 1 - n
// times (n < 0; -128 is a no-op). A row that unpacks short is left padded with zeros.
void UnpackBits(const uint8_t* src, size_t srcLen, uint8_t* out, size_t outLen) {
  size_t i = 0, o = 0;
  while (i < srcLen && o < outLen) {
    int n = int8_t(src[i++]);
    if (n >= 0) {
      size_t count = size_t(n) + 1;
      if (count > srcLen - i || count > outLen - o) throw EPictureError("Damaged Photoshop picture data");
      std::memcpy(out + o, src + i, count);
      i += count;
      o += count;
    } else if (n != -128) {
      size_t count = size_t(1 - n);
      if (i >= srcLen || count > outLen - o) throw EPictureError("Damaged Photoshop picture data");
      std::memset(out + o, src[i++], count);
      o += count;
    }
  }
  if (o < outLen) std::memset(out + o, 0, outLen - o);
}

PsdHeader ReadHeader(ByteReader& r) {
  if (std::memcmp(r.Take(4), "8BPS", 4) != 0) throw EPictureError("Not a Photoshop file");
  PsdHeader h;
  h.version = r.BE16();
  if (h.version != 1 && h.version != 2) throw EPictureError("Unsupported Photoshop file version");
  r.Skip(6);
  h.channels = r.BE16();
  h.height = r.BE32();
  h.width = r.BE32();
  h.depth = r.BE16();
  h.mode = r.BE16();
  if (h.channels < 1 || h.channels > 56) throw EPictureError("Damaged Photoshop header");
  if (h.depth != 1 && h.depth != 8 && h.depth != 16 && h.depth != 32)
    throw EPictureError("Unsupported Photoshop sample depth " + std::to_string(h.depth));
  if ((h.depth == 1) != (h.mode == kBitmap)) throw EPictureError("Damaged Photoshop header");
  CheckPictureSize(h.width, h.height);
  return h;
}

void LabToBgr(uint8_t l8, uint8_t a8, uint8_t b8, uint8_t* bgr) {
  // Photoshop's Lab is relative to D50; the matrix takes D50 XYZ to linear sRGB.
  double L = l8 * 100.0 / 255.0, A = a8 - 128.0, B = b8 - 128.0;
  double fy = (L + 16) / 116, fx = fy + A / 500, fz = fy - B / 200;
  auto finv = [](double t) { return t > 6.0 / 29 ? t * t * t : 3 * (6.0 / 29) * (6.0 / 29) * (t - 4.0 / 29); };
  double X = 0.9642 * finv(fx), Y = finv(fy), Z = 0.8251 * finv(fz);
  double r = 3.1338561 * X - 1.6168667 * Y - 0.4906146 * Z;
  double g = -0.9787684 * X + 1.9161415 * Y + 0.0334540 * Z;
  double b = 0.0719453 * X - 0.2289914 * Y + 1.4052427 * Z;
  bgr[0] = LinearToSrgbByte(b);
  bgr[1] = LinearToSrgbByte(g);
  bgr[2] = LinearToSrgbByte(r);
}

}  // namespace

Bitmap24 DecodePsd(const uint8_t* data, size_t size) {
  ByteReader r(data, size);
  const PsdHeader h = ReadHeader(r);
  const int needed = ChannelsNeeded(h.mode);
  if (h.channels < needed) throw EPictureError("Damaged Photoshop header");

  const uint8_t* palette = nullptr;
  uint32_t colorData = r.BE32();
  if (h.mode == kIndexed) {
    if (colorData < 768) throw EPictureError("Damaged Photoshop colour table");
    palette = r.Take(768);
    r.Skip(colorData - 768);
  } else {
    r.Skip(colorData);
  }
  r.Skip(r.BE32());                              // image resources
  r.Skip(h.version == 2 ? r.BE64() : r.BE32());  // layers and masks
  const int compression = r.BE16();
  if (compression != 0 && compression != 1)
    throw EPictureError("Unsupported Photoshop compression " + std::to_string(compression));

  const int64_t w = h.width, ht = h.height;
  const size_t rowBytes = size_t(h.depth == 1 ? (w + 7) / 8 : w * h.depth / 8);
  // The merged picture: every channel, plane after plane, each plane row after row. Where
  // each stored row starts is worked out first, and nothing is allocated for rows the file
  // does not hold (a header may claim the largest picture accepted in a file of a few
  // bytes); then the picture is decoded row by row, a row of each channel at a time.
  const size_t rows = size_t(needed) * size_t(ht);
  const uint64_t start = r.Pos();
  std::vector<uint64_t> rowStart;  // of the packed rows, and where the last one ends
  if (compression == 1) {
    const size_t stored = size_t(h.channels) * size_t(ht);  // every channel's lengths are listed
    const uint64_t lengthBytes = h.version == 2 ? 4 : 2;
    if (uint64_t(stored) * lengthBytes > r.Left()) throw EPictureError("The picture data ends too early");
    rowStart.resize(rows + 1);
    uint64_t at = start + stored * lengthBytes;
    for (size_t i = 0; i < stored; ++i) {
      const uint64_t len = h.version == 2 ? r.BE32() : r.BE16();
      if (i < rows) {
        rowStart[i] = at;
        at += len;
      }
    }
    rowStart[rows] = at;
    if (at > size) throw EPictureError("The picture data ends too early");
  } else if (uint64_t(rows) * rowBytes > r.Left()) {
    throw EPictureError("The picture data ends too early");
  }

  std::vector<std::vector<uint8_t>> lines(size_t(needed), std::vector<uint8_t>(static_cast<size_t>(w)));
  std::vector<uint8_t> unpacked(rowBytes);
  Bitmap24 bmp(static_cast<int>(w), static_cast<int>(ht));
  for (int64_t y = 0; y < ht; ++y) {
    for (int c = 0; c < needed; ++c) {
      const size_t i = size_t(c) * size_t(ht) + size_t(y);
      const uint8_t* row = data + (compression == 1 ? rowStart[i] : start + uint64_t(i) * rowBytes);
      if (compression == 1) {
        UnpackBits(row, size_t(rowStart[i + 1] - rowStart[i]), unpacked.data(), rowBytes);
        row = unpacked.data();
      }
      RowTo8(row, h.depth, w, lines[size_t(c)].data());
    }
    uint8_t* d = bmp.Row(int(y));
    for (int64_t x = 0; x < w; ++x, d += 3) {
      const size_t i = size_t(x);
      switch (h.mode) {
        case kRgb:
          d[0] = lines[2][i];
          d[1] = lines[1][i];
          d[2] = lines[0][i];
          break;
        case kCmyk: {  // stored inverted: 255 means no ink
          unsigned k = lines[3][i];
          d[0] = MulDiv255(lines[2][i], k);
          d[1] = MulDiv255(lines[1][i], k);
          d[2] = MulDiv255(lines[0][i], k);
          break;
        }
        case kIndexed: {
          unsigned v = lines[0][i];
          d[0] = palette[512 + v];
          d[1] = palette[256 + v];
          d[2] = palette[v];
          break;
        }
        case kLab:
          LabToBgr(lines[0][i], lines[1][i], lines[2][i], d);
          break;
        default:
          d[0] = d[1] = d[2] = lines[0][i];
          break;  // grey, bitmap, duotone, multichannel
      }
    }
  }
  return bmp;
}

}  // namespace qv
