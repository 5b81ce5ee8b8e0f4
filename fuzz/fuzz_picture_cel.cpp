// LoadPicture24 on an animator picture (.cel; .pic reads the same way).
#include "FuzzPicture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qvfuzz::LoadPictureInput(data, size, ".cel");
  return 0;
}
