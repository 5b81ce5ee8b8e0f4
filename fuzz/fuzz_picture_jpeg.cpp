// LoadPicture24 on a JPEG file, through libjpeg-turbo; a picture that decodes is decoded
// again at 1/2, 1/4 and 1/8 and must come out ceil(size / n) on both sides.
#include "FuzzPicture.h"
#include "codecs/JpegCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string file = qvfuzz::InputFile(data, size, ".jpg");
  qv::Bitmap24 full;
  try {
    full = qv::LoadPicture24(file);
  } catch (const qv::EPictureError&) {
    return 0;
  }
  QVFUZZ_CHECK(int64_t(full.Width()) * full.Height() <= qv::kMaxPicturePixels);
  // The reduced decodes only for small pictures: a large one would make every input slow.
  if (int64_t(full.Width()) * full.Height() > 1 << 20) return 0;
  // A file that is no JPEG at all may have loaded by its content (a PNG named .jpg).
  if (size < 3 || data[0] != 0xFF || data[1] != 0xD8) return 0;
  for (int scale = 1; scale <= 3; ++scale) {
    try {
      int used = -1;
      const qv::Bitmap24 reduced = qv::DecodeJpegMemory(data, size, scale, &used);
      const int n = 1 << used;
      QVFUZZ_CHECK(reduced.Width() == (full.Width() + n - 1) / n);
      QVFUZZ_CHECK(reduced.Height() == (full.Height() + n - 1) / n);
    } catch (const qv::EPictureError&) {
    }
  }
  return 0;
}
