#include "codecs/IcoCodec.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "base/ByteIO.h"
#include "base/Errors.h"
#include "codecs/CodecSupport.h"
#include "codecs/PngCodec.h"

namespace qv {

namespace {

struct IconEntry {
  int width, height, bitCount;
  uint32_t size, offset;
};

// One image stored as a device-independent bitmap: header, colour table, colour rows and
// the 1-bit AND mask, both bottom-up and padded to 4 bytes.
Bitmap24 DecodeIconDib(const uint8_t* data, size_t size) {
  ByteReader r(data, size);
  const uint32_t headerSize = r.LE32();
  const int32_t width = int32_t(r.LE32());
  const int32_t doubleHeight = int32_t(r.LE32());
  r.Skip(2);  // planes
  const int bpp = r.LE16();
  const uint32_t compression = r.LE32();
  r.Skip(12);  // image size, resolutions
  const uint32_t colorsUsed = r.LE32();
  if (headerSize < 40 || doubleHeight < 2) throw EPictureError("Damaged icon image");
  const int height = doubleHeight / 2;
  CheckPictureSize(width, height);
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24 && bpp != 32)
    throw EPictureError("Unsupported icon colour depth " + std::to_string(bpp));
  if (compression != 0 && !(compression == 3 && bpp == 32))  // 32-bit with fixed bit fields
    throw EPictureError("Unsupported icon compression");
  r = ByteReader(data, size);
  r.Skip(headerSize);
  if (compression == 3 && headerSize == 40) r.Skip(12);  // the three masks follow the header

  const uint8_t* palette = nullptr;
  uint32_t paletteCount = 0;
  if (bpp <= 8) {
    const uint32_t stored = colorsUsed ? colorsUsed : 1u << bpp;
    palette = r.Take(uint64_t(stored) * 4);
    paletteCount = std::min<uint32_t>(stored, 1u << bpp);
  }
  const size_t stride = (size_t(width) * bpp + 31) / 32 * 4;
  const uint8_t* colors = r.Take(uint64_t(stride) * height);
  const size_t maskStride = (size_t(width) + 31) / 32 * 4;
  // Some files leave the mask out; their pixels are all shown.
  const uint8_t* mask = r.Left() >= maskStride * height ? r.Take(uint64_t(maskStride) * height) : nullptr;

  bool useAlpha = false;
  if (bpp == 32)
    for (int y = 0; y < height && !useAlpha; ++y)
      for (int x = 0; x < width; ++x)
        if (colors[size_t(y) * stride + size_t(x) * 4 + 3] != 0) {
          useAlpha = true;
          break;
        }

  Bitmap24 bmp(width, height);
  for (int y = 0; y < height; ++y) {
    const uint8_t* src = colors + size_t(height - 1 - y) * stride;
    const uint8_t* m = mask ? mask + size_t(height - 1 - y) * maskStride : nullptr;
    uint8_t* d = bmp.Row(y);
    for (int x = 0; x < width; ++x, d += 3) {
      uint8_t b, g, rr;
      unsigned alpha = 255;
      if (bpp >= 24) {
        const uint8_t* p = src + size_t(x) * (bpp / 8);
        b = p[0];
        g = p[1];
        rr = p[2];
        if (useAlpha) alpha = p[3];
      } else {
        const int bit = x * bpp;
        unsigned index = (src[bit >> 3] >> (8 - bpp - (bit & 7))) & ((1u << bpp) - 1);
        if (index >= paletteCount) index = 0;
        b = palette[index * 4];
        g = palette[index * 4 + 1];
        rr = palette[index * 4 + 2];
      }
      if (useAlpha) {
        d[0] = OverWhite(b, alpha);
        d[1] = OverWhite(g, alpha);
        d[2] = OverWhite(rr, alpha);
      } else {
        // Drawing onto white: white AND mask, XOR colour. A masked pixel is usually black,
        // giving white; a masked coloured pixel inverts the background as Windows does.
        const bool masked = m && (m[x >> 3] & (0x80 >> (x & 7)));
        d[0] = masked ? uint8_t(255 ^ b) : b;
        d[1] = masked ? uint8_t(255 ^ g) : g;
        d[2] = masked ? uint8_t(255 ^ rr) : rr;
      }
    }
  }
  return bmp;
}

Bitmap24 DecodeIconImage(const uint8_t* data, size_t size) {
  static const uint8_t kPng[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (size >= 8 && std::memcmp(data, kPng, 8) == 0) return DecodePngMemory(data, size);
  return DecodeIconDib(data, size);
}

}  // namespace

Bitmap24 DecodeIco(const uint8_t* data, size_t size) {
  ByteReader r(data, size);
  if (size < 6 || r.LE16() != 0) throw EPictureError("Not an icon file");
  const int type = r.LE16();
  const int count = r.LE16();
  if ((type != 1 && type != 2) || count == 0) throw EPictureError("Not an icon file");
  std::vector<IconEntry> entries;
  for (int i = 0; i < count; ++i) {
    const uint8_t* e = r.Take(16);
    IconEntry entry{e[0] ? e[0] : 256, e[1] ? e[1] : 256, GetLE16(e + 6), GetLE32(e + 8), GetLE32(e + 12)};
    if (entry.offset < size && entry.size > 0) entries.push_back(entry);
  }
  // Largest first, then deepest colour; equal entries keep the file's order.
  std::stable_sort(entries.begin(), entries.end(), [](const IconEntry& a, const IconEntry& b) {
    if (a.width * a.height != b.width * b.height) return a.width * a.height > b.width * b.height;
    return a.bitCount > b.bitCount;
  });
  std::string firstError = "the icon file holds no image";
  for (const IconEntry& e : entries) {
    try {
      size_t length = std::min<size_t>(e.size, size - e.offset);
      return DecodeIconImage(data + e.offset, length);
    } catch (const EPictureError& err) {
      if (&e == &entries.front()) firstError = err.what();
    }
  }
  throw EPictureError("Cannot decode icon: " + firstError);
}

}  // namespace qv
