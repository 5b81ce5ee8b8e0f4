// LoadPicture24 on a Windows bitmap (.bmp): the headers through GraphicsMagick under our limits.
#include "FuzzPicture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qvfuzz::LoadPictureInput(data, size, ".bmp");
  return 0;
}
