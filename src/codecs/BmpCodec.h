#pragma once
// Uncompressed 24-bit BMP files (bottom-up rows, padded to 4 bytes).
#include <string>

#include "codecs/Bitmap24.h"

namespace qv {

std::string EncodeBmp(const Bitmap24& bmp);
void SaveBmpFile(const std::string& fileName, const Bitmap24& bmp);  // throws EStreamError

}  // namespace qv
