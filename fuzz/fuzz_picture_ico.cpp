// LoadPicture24 on an icon file (.ico): DIB and PNG entries.
#include "FuzzPicture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qvfuzz::LoadPictureInput(data, size, ".ico");
  return 0;
}
