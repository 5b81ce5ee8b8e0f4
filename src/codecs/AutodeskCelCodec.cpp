#include "codecs/AutodeskCelCodec.h"

#include <algorithm>

#include "base/Errors.h"
#include "codecs/CodecSupport.h"

namespace qv {

Bitmap24 DecodeAutodeskCel(const uint8_t* data, size_t size) {
  ByteReader r(data, size);
  if (size < 32 || r.LE16() != 0x9119) throw EPictureError("Not an Autodesk Animator picture");
  const int width = r.LE16();
  const int height = r.LE16();
  r.Skip(4);  // position on the screen
  const int depth = r.U8();
  const int compression = r.U8();
  r.Skip(4 + 16);  // data size, reserved
  if (depth != 8 || compression != 0)
    throw EPictureError("Unsupported Autodesk Animator picture (depth " + std::to_string(depth) + ", compression " +
                        std::to_string(compression) + ")");
  CheckPictureSize(width, height);
  const uint8_t* palette = r.Take(768);
  const uint8_t* pixels = r.Take(uint64_t(width) * height);

  const bool sixBit = *std::max_element(palette, palette + 768) <= 63;
  uint8_t colors[256][3];  // blue, green, red
  for (int i = 0; i < 256; ++i)
    for (int c = 0; c < 3; ++c) {
      unsigned v = palette[i * 3 + c];
      colors[i][2 - c] = sixBit ? uint8_t((v * 255 + 31) / 63) : uint8_t(v);
    }
  Bitmap24 bmp(width, height);
  for (int y = 0; y < height; ++y) {
    const uint8_t* s = pixels + size_t(y) * width;
    uint8_t* d = bmp.Row(y);
    for (int x = 0; x < width; ++x, d += 3) {
      const uint8_t* c = colors[s[x]];
      d[0] = c[0];
      d[1] = c[1];
      d[2] = c[2];
    }
  }
  return bmp;
}

}  // namespace qv
