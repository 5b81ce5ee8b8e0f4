#pragma once
// Pictures and files for the codec tests.
#include <Magick++.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "codecs/MagickReader.h"
#include "raster/Bitmap24.h"

namespace qvtest {

// A picture whose every pixel differs from its neighbours in all three channels.
inline qv::Bitmap24 MakeTestPicture(int w, int h) {
  qv::Bitmap24 bmp(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint8_t* p = bmp.Pixel(x, y);
      p[0] = uint8_t(x * 7 + y * 3);
      p[1] = uint8_t(x * 2 + y * 11 + 40);
      p[2] = uint8_t(255 - x * 5 - y);
    }
  return bmp;
}

// Smooth colours, which lossy coders keep well.
inline qv::Bitmap24 MakeSmoothPicture(int w, int h) {
  qv::Bitmap24 bmp(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint8_t* p = bmp.Pixel(x, y);
      p[0] = uint8_t(x * 255 / (w > 1 ? w - 1 : 1));
      p[1] = uint8_t(y * 255 / (h > 1 ? h - 1 : 1));
      p[2] = uint8_t(128 + (x - y) / 4);
    }
  return bmp;
}

// The largest difference of any channel of any pixel; 256 when the sizes differ.
inline int MaxDifference(const qv::Bitmap24& a, const qv::Bitmap24& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height()) return 256;
  int worst = 0;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width() * 3; ++x) worst = std::max(worst, std::abs(int(a.Row(y)[x]) - int(b.Row(y)[x])));
  return worst;
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), std::streamsize(bytes.size()));
}

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

inline void EnsureMagickReady() { qv::EnsureMagick(); }

inline Magick::Image ToMagick(const qv::Bitmap24& bmp) {
  qv::EnsureMagick();
  std::string bgr;
  for (int y = 0; y < bmp.Height(); ++y) bgr.append(reinterpret_cast<const char*>(bmp.Row(y)), size_t(bmp.Width()) * 3);
  return Magick::Image(unsigned(bmp.Width()), unsigned(bmp.Height()), "BGR", Magick::CharPixel, bgr.data());
}

// Writes bmp with GraphicsMagick in the given format; adjust may change the image first.
inline void WriteWithMagick(const qv::Bitmap24& bmp, const std::string& path, const std::string& format,
                            const std::function<void(Magick::Image&)>& adjust = {}) {
  Magick::Image img = ToMagick(bmp);
  if (adjust) adjust(img);
  Magick::Blob blob;
  img.magick(format);
  img.write(&blob);
  WriteBytes(path, std::string(static_cast<const char*>(blob.data()), blob.length()));
}

inline void AppendLE16(std::string& s, unsigned v) {
  s += char(v & 255);
  s += char((v >> 8) & 255);
}
inline void AppendLE32(std::string& s, uint32_t v) {
  AppendLE16(s, v & 0xFFFF);
  AppendLE16(s, v >> 16);
}
inline void AppendBE16(std::string& s, unsigned v) {
  s += char((v >> 8) & 255);
  s += char(v & 255);
}
inline void AppendBE32(std::string& s, uint32_t v) {
  AppendBE16(s, v >> 16);
  AppendBE16(s, v & 0xFFFF);
}

}  // namespace qvtest
