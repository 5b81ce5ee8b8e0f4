#include "codecs/BmpCodec.h"

#include <cstring>

#include "base/ByteIO.h"
#include "base/Errors.h"
#include "base/FileUtil.h"

namespace qv {

std::array<uint8_t, kBmpHeaderSize> MakeBmpHeader(int width, int height) {
  if (width < 0 || height < 0 || BmpFileSize(width, height) > int64_t(0xFFFFFFFF))
    throw EOutputTooLarge("The picture is too large for a BMP file");
  std::array<uint8_t, kBmpHeaderSize> h{};
  uint8_t* p = h.data();
  p[0] = 'B';
  p[1] = 'M';
  PutLE32(p + 2, uint32_t(BmpFileSize(width, height)));
  // 6 and 8: two reserved words, 0
  PutLE32(p + 10, kBmpHeaderSize);
  PutLE32(p + 14, 40);
  PutLE32(p + 18, uint32_t(width));
  PutLE32(p + 22, uint32_t(height));  // positive: bottom row first
  PutLE16(p + 26, 1);
  PutLE16(p + 28, 24);
  // 30..53: compression, image size, resolutions and colour counts, all 0
  return h;
}

std::string EncodeBmp(const Bitmap24& bmp) {
  const int w = bmp.Width(), h = bmp.Height();
  auto header = MakeBmpHeader(w, h);
  const size_t rowSize = size_t(BmpRowSize(w));
  std::string out(size_t(BmpFileSize(w, h)), '\0');
  std::memcpy(out.data(), header.data(), header.size());
  // Only the pixels are copied: padding in the file stays 0 whatever the bitmap holds there.
  for (int y = 0; y < h; ++y)
    std::memcpy(out.data() + kBmpHeaderSize + rowSize * size_t(h - 1 - y), bmp.Row(y), size_t(w) * 3);
  return out;
}

void SaveBmpFile(const std::string& fileName, const Bitmap24& bmp) {
  // Row by row, so a large picture is not held twice in memory.
  const int w = bmp.Width(), h = bmp.Height();
  auto header = MakeBmpHeader(w, h);
  AtomicFileWriter writer(fileName);
  writer.Write(header.data(), header.size());
  std::string row(size_t(BmpRowSize(w)), '\0');
  for (int y = h - 1; y >= 0; --y) {
    std::memcpy(row.data(), bmp.Row(y), size_t(w) * 3);
    writer.Write(row);
  }
  writer.Commit();
}

}  // namespace qv
