#include "codecs/CodecSupport.h"

#include <algorithm>

#include "base/ByteIO.h"
#include "base/Errors.h"
#include "base/FileUtil.h"

namespace qv {

namespace {
thread_local int64_t tMaxPixels = kMaxPicturePixels;
}  // namespace

TLargePictureAllowance::TLargePictureAllowance() : previous_(tMaxPixels) { tMaxPixels = kMaxSourcePicturePixels; }
TLargePictureAllowance::~TLargePictureAllowance() { tMaxPixels = previous_; }

TPictureSizeLimit::TPictureSizeLimit(int64_t maxPixels) : previous_(tMaxPixels) {
  tMaxPixels = std::min(maxPixels, kMaxPicturePixels);
}
TPictureSizeLimit::~TPictureSizeLimit() { tMaxPixels = previous_; }

void CheckPictureSize(int64_t width, int64_t height) {
  if (width <= 0 || height <= 0) throw EPictureError("The picture has no pixels");
  if (width > kMaxPictureSide || height > kMaxPictureSide || width * height > tMaxPixels)
    throw EPictureError("The picture is too large (" + std::to_string(width) + " x " + std::to_string(height) +
                        " pixels)");
}

std::string ReadPictureFile(const std::string& fileName) {
  try {
    return ReadWholeFile(fileName);
  } catch (const EStreamError& e) {
    throw EPictureError(e.what());
  }
}

const uint8_t* ByteReader::Take(uint64_t n) {
  if (n > Left()) throw EPictureError("The picture data ends too early");
  const uint8_t* p = data_ + pos_;
  pos_ += size_t(n);
  return p;
}

uint16_t ByteReader::BE16() { return GetBE16(Take(2)); }
uint32_t ByteReader::BE32() {
  const uint8_t* p = Take(4);
  return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}
uint64_t ByteReader::BE64() {
  uint64_t hi = BE32();
  return (hi << 32) | BE32();
}
uint16_t ByteReader::LE16() { return GetLE16(Take(2)); }
uint32_t ByteReader::LE32() { return GetLE32(Take(4)); }

}  // namespace qv
