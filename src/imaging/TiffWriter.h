#pragma once
// The one TIFF layout the program writes: uncompressed 24-bit RGB, little-endian, one row
// per strip, pixel data right after a 32-byte prologue and the directory after the pixels.
#include <cstdint>
#include <cstdio>
#include <string>

#include "raster/Bitmap24.h"

namespace qv {

constexpr int kTiffMaxSide = 65535;

// Total file length for a W x H picture: 240 + 3WH + 8H.
int64_t TiffFileSize(int width, int height);
// Throws EOutputTooLarge when the layout cannot hold the picture (a side above 65535, or a
// file of 2 GiB or more).
void CheckTiffSize(int width, int height);

// Writes the prologue, extends the file to its full length and writes the directory and its
// value blocks after the pixel area. Returns false on any error.
bool WriteTiffHeader(std::FILE* file, int width, int height, int resolutionUnit, int resolution);

// Saves a whole picture in this layout. Throws EOutputTooLarge before writing anything when
// the picture does not fit the layout, EStreamError when the file cannot be written.
void SaveBitmapAsTiff(const std::string& fileName, const Bitmap24& bmp, int resolution, int resolutionUnit = 2);

}  // namespace qv
