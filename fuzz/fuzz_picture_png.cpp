// LoadPicture24 on a PNG file, through libpng.
#include "FuzzPicture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qvfuzz::LoadPictureInput(data, size, ".png");
  return 0;
}
