#pragma once
// JPEG through libjpeg-turbo: decoding (also at 1/2, 1/4, 1/8 scale), encoding as baseline
// JFIF, and the header routines that work on the file bytes directly.
#include <cstdint>
#include <string>

#include "codecs/Bitmap24.h"

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
  int JpegWidth = 0;   // the full size read from the header (0 when not found)
  int JpegHeight = 0;
};
// Chooses the reduced decode that still covers the wanted size. The wanted size of the
// deciding side (width for landscape pictures, height otherwise) must not be 0.
JpegScaleChoice ChooseJpegScale(const std::string& fileName, int wantedWidth, int wantedHeight);

// Decodes a JPEG; scale as above. usedScale receives the scale the decoder really applied.
// Grey and CMYK pictures come out as colour. Throws EPictureError when it cannot decode.
Bitmap24 DecodeJpegFile(const std::string& fileName, int scale = 0, int* usedScale = nullptr);
Bitmap24 DecodeJpegMemory(const uint8_t* data, size_t size, int scale = 0, int* usedScale = nullptr);

// Baseline JFIF at a quality 1..100. Throws EPictureError on failure.
std::string EncodeJpeg(const Bitmap24& bmp, int quality);
void SaveJpegFile(const std::string& fileName, const Bitmap24& bmp, int quality);

// Stamps a resolution (dots per inch) into the JFIF header of an existing file, in place.
// A file without "JFIF\0" in its first 50 bytes is left unchanged.
void SetJpegDpi(const std::string& fileName, int xDpi, int yDpi);

}  // namespace qv
