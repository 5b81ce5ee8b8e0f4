#pragma once
// Helpers shared by the picture decoders: the size limit every decoder enforces before it
// allocates pixels, reading a picture file, and putting translucent pixels over white.
#include <cstddef>
#include <cstdint>
#include <string>

namespace qv {

// The largest picture any decoder accepts (about 268 million pixels, 805 MB as a Bitmap24).
// A damaged or hostile header must not make a decoder allocate more than this.
constexpr int64_t kMaxPicturePixels = int64_t(1) << 28;
// The widest or tallest picture accepted; keeps row byte counts far inside int.
constexpr int64_t kMaxPictureSide = int64_t(1) << 20;

// The largest source picture of a mosaic the decoders accept while a
// TLargePictureAllowance is in force on the thread (about 2.1 billion pixels, 6 GiB as a
// Bitmap24): a scan or photograph far larger than any tile.
constexpr int64_t kMaxSourcePicturePixels = int64_t(1) << 31;

// Throws EPictureError when a picture of this size is empty or too large to decode: above
// kMaxPicturePixels, or kMaxSourcePicturePixels under a TLargePictureAllowance.
void CheckPictureSize(int64_t width, int64_t height);

// While it lives, the decoders of this thread accept pictures up to kMaxSourcePicturePixels;
// for a picture the user opens on purpose as a mosaic's source. Nests.
// While it lives, the decoders of this thread accept pictures of at most maxPixels (and
// never more than kMaxPicturePixels): for pictures that are small by nature, such as the
// thumbnails a table stores, so a damaged one cannot cost the time and memory of the largest
// picture. Nests with TLargePictureAllowance.
class TPictureSizeLimit {
 public:
  explicit TPictureSizeLimit(int64_t maxPixels);
  ~TPictureSizeLimit();
  TPictureSizeLimit(const TPictureSizeLimit&) = delete;
  TPictureSizeLimit& operator=(const TPictureSizeLimit&) = delete;

 private:
  int64_t previous_;
};

class TLargePictureAllowance {
 public:
  TLargePictureAllowance();
  ~TLargePictureAllowance();
  TLargePictureAllowance(const TLargePictureAllowance&) = delete;
  TLargePictureAllowance& operator=(const TLargePictureAllowance&) = delete;

 private:
  int64_t previous_;
};

// The whole file; throws EPictureError (not EStreamError) when it cannot be read, so callers
// of the picture loader see one kind of error for every picture that does not load.
std::string ReadPictureFile(const std::string& fileName);

// Bounds-checked reads from a file held in memory, for our own decoders. Reading past the
// end throws EPictureError, so a truncated file can never be read beyond its bytes.
class ByteReader {
 public:
  ByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  size_t Pos() const { return pos_; }
  size_t Left() const { return size_ - pos_; }
  const uint8_t* Take(uint64_t n);  // n bytes in place
  void Skip(uint64_t n) { Take(n); }
  uint8_t U8() { return *Take(1); }
  uint16_t BE16();
  uint32_t BE32();
  uint64_t BE64();
  uint16_t LE16();
  uint32_t LE32();

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

// One colour channel of a pixel with coverage alpha drawn over white, rounded.
constexpr uint8_t OverWhite(unsigned c, unsigned alpha) {
  return uint8_t((c * alpha + 255u * (255u - alpha) + 127u) / 255u);
}

// a * b / 255, rounded (a, b in 0..255).
constexpr uint8_t MulDiv255(unsigned a, unsigned b) { return uint8_t((a * b + 127u) / 255u); }

// Scales a 16-bit sample to 8 bits, rounded.
constexpr uint8_t Scale16To8(unsigned v) { return uint8_t((v * 255u + 32767u) / 65535u); }

}  // namespace qv
