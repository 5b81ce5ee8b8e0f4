#pragma once
// The body of the picture fuzz targets: LoadPicture24 on the input saved under an
// extension, which must either give a picture inside the decoders' size limit or raise
// EPictureError. Any other exception, a crash or a sanitizer report is a finding.
#include "FuzzSupport.h"
#include "base/Errors.h"
#include "codecs/CodecSupport.h"
#include "codecs/PictureLoader.h"

namespace qvfuzz {

inline void LoadPictureInput(const uint8_t* data, size_t size, const std::string& ext) {
  const std::string file = InputFile(data, size, ext);
  try {
    const qv::Bitmap24 bmp = qv::LoadPicture24(file);
    QVFUZZ_CHECK(bmp.Width() > 0 && bmp.Height() > 0);
    QVFUZZ_CHECK(bmp.Width() <= qv::kMaxPictureSide && bmp.Height() <= qv::kMaxPictureSide);
    QVFUZZ_CHECK(int64_t(bmp.Width()) * bmp.Height() <= qv::kMaxPicturePixels);
  } catch (const qv::EPictureError&) {
  }
}

}  // namespace qvfuzz
