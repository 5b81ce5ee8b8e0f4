// LoadPicture24 on a Photoshop file (.psd).
#include "FuzzPicture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qvfuzz::LoadPictureInput(data, size, ".psd");
  return 0;
}
