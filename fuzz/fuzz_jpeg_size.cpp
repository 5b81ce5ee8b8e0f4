// ReadJpegSize and ChooseJpegScale (our own marker walk over the file) and JpegMemorySize
// (libjpeg-turbo's header reader) on any bytes.
#include "FuzzSupport.h"
#include "codecs/JpegCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string file = qvfuzz::InputFile(data, size, ".jpg");
  const qv::JpegSize walked = qv::ReadJpegSize(file);
  const qv::JpegScaleChoice choice = qv::ChooseJpegScale(file, 64, 48);
  QVFUZZ_CHECK(choice.Scale >= 0 && choice.Scale <= 3);
  QVFUZZ_CHECK(choice.JpegWidth == (walked.Width && walked.Height ? walked.Width : 0));
  qv::JpegMemorySize(data, size);
  return 0;
}
