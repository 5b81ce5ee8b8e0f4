#include "imaging/TiffWriter.h"

#include <unistd.h>

#include <cstring>
#include <vector>

#include "base/ByteIO.h"
#include "base/Errors.h"
#include "base/FileUtil.h"

namespace qv {
namespace {

// The 24 bytes at offset 8 that the Software entry points to. The entry counts 23 of them;
// the text is 22 characters so that the counted bytes end in a NUL, as TIFF readers expect
// of an ASCII value, and offset 31 holds a second NUL.
constexpr char kSoftwareText[24] = "Quivara Photomosaic v3\0";
static_assert(sizeof(kSoftwareText) == 24);

constexpr int kEntryCount = 15;

uint8_t* PutEntry(uint8_t* p, uint16_t tag, uint16_t type, uint32_t count, uint32_t value) {
  PutLE16(p, tag);
  PutLE16(p + 2, type);
  PutLE32(p + 4, count);
  PutLE32(p + 8, value);  // a SHORT value takes the first two bytes, the other two stay 0
  return p + 12;
}

bool WriteAt(std::FILE* f, int64_t pos, const void* data, size_t size) {
  return ::fseeko(f, static_cast<off_t>(pos), SEEK_SET) == 0 && std::fwrite(data, 1, size, f) == size;
}

}  // namespace

int64_t TiffFileSize(int width, int height) { return 240 + 3 * int64_t(width) * height + 8 * int64_t(height); }

void CheckTiffSize(int width, int height) {
  if (width < 1 || height < 1) throw EOutputTooLarge("The picture has no pixels to save");
  if (width > kTiffMaxSide || height > kTiffMaxSide)
    throw EOutputTooLarge("A TIFF picture cannot be wider or higher than 65535 pixels (asked for " +
                          std::to_string(width) + " x " + std::to_string(height) + ")");
  if (TiffFileSize(width, height) >= (int64_t(1) << 31))
    throw EOutputTooLarge("A TIFF picture of " + std::to_string(width) + " x " + std::to_string(height) +
                          " pixels would need a file of 2 GiB or more");
}

bool WriteTiffHeader(std::FILE* file, int width, int height, int resolutionUnit, int resolution) {
  try {
    if (!file || width < 1 || height < 1) return false;
    const uint32_t W = uint32_t(width), H = uint32_t(height);
    const uint32_t dir = 32 + 3 * W * H;  // directory right after the pixels
    const int64_t total = TiffFileSize(width, height);
    if (total >= (int64_t(1) << 31)) return false;

    uint8_t prologue[32] = {'I', 'I', 42, 0};
    PutLE32(prologue + 4, dir);
    std::memcpy(prologue + 8, kSoftwareText, 24);
    if (!WriteAt(file, 0, prologue, sizeof prologue)) return false;
    std::fflush(file);
    if (::ftruncate(WritableFd(file), static_cast<off_t>(total)) != 0) return false;

    const uint32_t bits = dir + 186, xres = dir + 192, yres = dir + 200;
    const uint32_t offsets = dir + 208, counts = dir + 208 + 4 * H;
    std::vector<uint8_t> tail(size_t(208) + 8 * size_t(H), 0);
    uint8_t* p = tail.data();
    PutLE16(p, kEntryCount);
    p += 2;
    // A picture of one row has room for its single strip offset and byte count in the
    // entries themselves, and readers expect them there; the tables are written as well.
    const uint32_t offsetsValue = H == 1 ? 32 : offsets;
    const uint32_t countsValue = H == 1 ? 3 * W : counts;
    p = PutEntry(p, 256, 3, 1, W);
    p = PutEntry(p, 257, 3, 1, H);
    p = PutEntry(p, 258, 3, 3, bits);
    p = PutEntry(p, 259, 3, 1, 1);
    p = PutEntry(p, 262, 3, 1, 2);
    p = PutEntry(p, 273, 4, H, offsetsValue);
    p = PutEntry(p, 274, 3, 1, 1);
    p = PutEntry(p, 277, 3, 1, 3);
    p = PutEntry(p, 278, 3, 1, 1);
    p = PutEntry(p, 279, 4, H, countsValue);
    p = PutEntry(p, 282, 5, 1, xres);
    p = PutEntry(p, 283, 5, 1, yres);
    p = PutEntry(p, 284, 3, 1, 1);
    p = PutEntry(p, 296, 3, 1, uint32_t(resolutionUnit));
    p = PutEntry(p, 305, 2, 23, 8);
    PutLE32(p, 0);  // no next directory
    p += 4;
    PutLE16(p, 8);
    PutLE16(p + 2, 8);
    PutLE16(p + 4, 8);
    p += 6;
    PutLE32(p, uint32_t(resolution));
    PutLE32(p + 4, 1);
    PutLE32(p + 8, uint32_t(resolution));
    PutLE32(p + 12, 1);
    p += 16;
    for (uint32_t i = 0; i < H; ++i) PutLE32(p + 4 * i, 32 + i * 3 * W);
    p += 4 * H;
    for (uint32_t i = 0; i < H; ++i) PutLE32(p + 4 * i, 3 * W);
    return WriteAt(file, dir, tail.data(), tail.size()) && std::fflush(file) == 0;
  } catch (...) {
    return false;
  }
}

void SaveBitmapAsTiff(const std::string& fileName, const Bitmap24& bmp, int resolution, int resolutionUnit) {
  CheckTiffSize(bmp.Width(), bmp.Height());
  AtomicFileWriter out(fileName);
  std::FILE* f = out.Handle();
  if (!WriteTiffHeader(f, bmp.Width(), bmp.Height(), resolutionUnit, resolution))
    throw EStreamError("Cannot write file " + fileName);
  const int w = bmp.Width();
  std::vector<uint8_t> row(size_t(w) * 3);
  if (::fseeko(f, 32, SEEK_SET) != 0) throw EStreamError("Cannot write file " + fileName);
  for (int y = 0; y < bmp.Height(); ++y) {  // rows are contiguous from byte 32 on
    const uint8_t* s = bmp.Row(y);
    for (int x = 0; x < w * 3; x += 3) {
      row[x] = s[x + 2];
      row[x + 1] = s[x + 1];
      row[x + 2] = s[x];
    }
    if (std::fwrite(row.data(), 1, row.size(), f) != row.size()) throw EStreamError("Cannot write file " + fileName);
  }
  out.Commit();
}

}  // namespace qv
