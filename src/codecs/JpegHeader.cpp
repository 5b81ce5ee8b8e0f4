// The JPEG routines that work on the file bytes without decoding: the size from the frame
// header, the choice of a reduced decode, and stamping a resolution into the JFIF header.
#include <cstdio>
#include <cstring>
#include <memory>

#include "base/Errors.h"
#include "codecs/JpegCodec.h"

namespace qv {

namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Reads a big-endian 16-bit value; false at the end of the file.
bool ReadBE16(std::FILE* f, int& v) {
  int hi = std::fgetc(f);
  int lo = std::fgetc(f);
  if (hi == EOF || lo == EOF) return false;
  v = (hi << 8) | lo;
  return true;
}

}  // namespace

JpegSize ReadJpegSize(const std::string& fileName) {
  FilePtr file(std::fopen(fileName.c_str(), "rb"));
  if (!file) throw EStreamError("Cannot open file " + fileName);
  std::FILE* f = file.get();
  JpegSize size;
  if (std::fgetc(f) != 0xFF || std::fgetc(f) != 0xD8) return size;
  int current = std::fgetc(f);
  while (current == 0xFF) {
    int marker = std::fgetc(f);
    while (marker == 0xFF) marker = std::fgetc(f);  // fill bytes
    if (marker == EOF) break;
    if (marker == 0xC0 || marker == 0xC1) {
      // Segment length (2 bytes) and sample precision (1 byte), then height and width.
      int height = 0, width = 0;
      if (std::fseek(f, 3, SEEK_CUR) != 0 || !ReadBE16(f, height) || !ReadBE16(f, width)) break;
      size.Height = uint16_t(height);
      size.Width = uint16_t(width);
      break;
    }
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) continue;  // no segment follows
    int length = 0;
    // A length below 2 cannot be a segment; stepping back over it would walk garbage.
    if (!ReadBE16(f, length) || length < 2) break;
    if (std::fseek(f, length - 2, SEEK_CUR) != 0) break;
    current = std::fgetc(f);
  }
  return size;
}

JpegScaleChoice ChooseJpegScale(const std::string& fileName, int wantedWidth, int wantedHeight) {
  JpegScaleChoice choice;
  JpegSize size = ReadJpegSize(fileName);
  if (int64_t(size.Width) * size.Height == 0) return choice;
  choice.JpegWidth = size.Width;
  choice.JpegHeight = size.Height;
  int side = size.Width > size.Height ? size.Width : size.Height;
  int wanted = size.Width > size.Height ? wantedWidth : wantedHeight;
  if (wanted == 0) return choice;  // nothing to divide by: decode at full size
  int q = side / wanted;
  choice.Scale = q < 2 ? 0 : q < 4 ? 1 : q < 8 ? 2 : 3;
  return choice;
}

void SetJpegDpi(const std::string& fileName, int xDpi, int yDpi) {
  FilePtr file(std::fopen(fileName.c_str(), "r+b"));
  if (!file) throw EStreamError("Cannot open file " + fileName);
  std::FILE* f = file.get();
  uint8_t head[50];
  size_t n = std::fread(head, 1, sizeof head, f);
  static const uint8_t kJfif[5] = {'J', 'F', 'I', 'F', 0};
  for (size_t j = 0; j + 5 <= n; ++j) {
    if (std::memcmp(head + j, kJfif, 5) != 0) continue;
    // Units, x density and y density sit 7 to 11 bytes after the "J". A file that ends
    // before them is left alone rather than made longer.
    if (std::fseek(f, 0, SEEK_END) != 0 || std::ftell(f) < long(j + 12)) return;
    auto clamp16 = [](int v) { return uint16_t(v < 0 ? 0 : v > 0xFFFF ? 0xFFFF : v); };
    uint16_t x = clamp16(xDpi), y = clamp16(yDpi);
    uint8_t field[5] = {1, uint8_t(x >> 8), uint8_t(x), uint8_t(y >> 8), uint8_t(y)};
    if (std::fseek(f, long(j + 7), SEEK_SET) != 0 || std::fwrite(field, 1, 5, f) != 5 || std::fflush(f) != 0)
      throw EStreamError("Cannot write file " + fileName);
    return;
  }
}

}  // namespace qv
