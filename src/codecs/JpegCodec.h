#pragma once
// JPEG through libjpeg-turbo: decoding (also at 1/2, 1/4, 1/8 scale), encoding as baseline
// JFIF, and the header routines that work on the file bytes directly.
#include <cstdint>
#include <memory>
#include <string>

#include "raster/Bitmap24.h"

namespace qv {

struct JpegSize {
  uint16_t Width = 0;
  uint16_t Height = 0;
};

// Pixel size from the first C0/C1 frame header, walking the markers; 0 x 0 when not found.
// Throws EStreamError when the file cannot be opened.
JpegSize ReadJpegSize(const std::string& fileName);

// JpegScale: 0 full size, 1 half, 2 quarter, 3 eighth.
struct JpegScaleChoice {
  int Scale = 0;
  int JpegWidth = 0;  // the full size read from the header (0 when not found)
  int JpegHeight = 0;
};
// Chooses the reduced decode that still covers the wanted size: q = width div wantedWidth
// for landscape pictures, height div wantedHeight otherwise; q < 2 full size, < 4 half,
// < 8 quarter, else eighth. A wanted size of 0 (or less) on the deciding side gives full
// size. Throws EStreamError when the file cannot be opened.
JpegScaleChoice ChooseJpegScale(const std::string& fileName, int wantedWidth, int wantedHeight);

// Decodes a JPEG at scale 0..3 (values outside are clamped); the picture is
// ceil(width / n) x ceil(height / n) for n = 1, 2, 4, 8. usedScale receives the scale the
// decoder really applied (libjpeg-turbo always applies the one asked for). Grey and CMYK or
// YCCK pictures come out as colour; a file cut short or slightly damaged still gives the
// whole picture (the missing part grey). The result depends only on the bytes (and the
// libjpeg-turbo version). Throws EPictureError when the file cannot be read or decoded.
Bitmap24 DecodeJpegFile(const std::string& fileName, int scale = 0, int* usedScale = nullptr);
Bitmap24 DecodeJpegMemory(const uint8_t* data, size_t size, int scale = 0, int* usedScale = nullptr);
// The full size DecodeJpegMemory gives these bytes, read from their header without decoding;
// 0 x 0 when the header does not read.
JpegSize JpegMemorySize(const uint8_t* data, size_t size);

// Baseline JFIF at a quality 1..100 (4:2:0, density units 0, 1:1) of a picture given a few
// rows at a time, top to bottom: a picture far larger than memory can be encoded band by
// band. With stampDpi the density is dpi dots per inch (clamped to 0..65535) as SetJpegDpi
// stamps it; otherwise the bytes equal EncodeJpeg's. The encoded bytes gather in Output(),
// which the caller may empty whenever it likes. Throws EPictureError on failure (also for
// an empty picture, and on every call after one failed).
class JpegStreamEncoder {
 public:
  JpegStreamEncoder(int width, int height, int quality, bool stampDpi = false, int dpi = 0);
  ~JpegStreamEncoder();
  JpegStreamEncoder(const JpegStreamEncoder&) = delete;
  JpegStreamEncoder& operator=(const JpegStreamEncoder&) = delete;

  // count rows of width pixels, blue, green, red; rows past the picture's height are ignored.
  void WriteRows(const uint8_t* const* rows, int count);
  // After the last row: the end of the file goes to Output().
  void Finish();
  std::string& Output() { return output_; }

 private:
  struct State;
  [[noreturn]] void Fail();
  std::unique_ptr<State> state_;
  std::string output_;
  int height_ = 0;
  int rowsWritten_ = 0;
};

// Baseline JFIF at a quality 1..100 (4:2:0, density units 0, 1:1). Throws EPictureError on
// failure; SaveJpegFile throws EStreamError when the file cannot be written.
std::string EncodeJpeg(const Bitmap24& bmp, int quality);
void SaveJpegFile(const std::string& fileName, const Bitmap24& bmp, int quality);

// Stamps a resolution (dots per inch) into the JFIF header of an existing file, in place.
// A file without "JFIF\0" in its first 50 bytes is left unchanged.
void SetJpegDpi(const std::string& fileName, int xDpi, int yDpi);

}  // namespace qv
