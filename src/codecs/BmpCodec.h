#pragma once
// Uncompressed 24-bit BMP files (bottom-up rows, padded to 4 bytes).
#include <array>
#include <cstdint>
#include <string>

#include "raster/Bitmap24.h"

namespace qv {

constexpr int kBmpHeaderSize = 54;

// Bytes per stored row: 3 x width rounded up to a multiple of 4.
constexpr int64_t BmpRowSize(int width) { return (int64_t(width) * 3 + 3) / 4 * 4; }
// Whole file length: 54 + row size x height.
constexpr int64_t BmpFileSize(int width, int height) { return kBmpHeaderSize + BmpRowSize(width) * height; }

// The 54 header bytes of a width x height file ("BM", file size, 54, 40, W, H, 1, 24, zeros).
// Throws EOutputTooLarge when the file would not fit the format's 32-bit size field.
std::array<uint8_t, kBmpHeaderSize> MakeBmpHeader(int width, int height);

std::string EncodeBmp(const Bitmap24& bmp);
void SaveBmpFile(const std::string& fileName, const Bitmap24& bmp);  // throws EStreamError

}  // namespace qv
