// LoadPicture24 on the types only GraphicsMagick reads, under the size and memory limits
// EnsureMagick sets. The first byte of the input picks the extension, the rest is the file.
#include "FuzzPicture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const char* const kExtensions[] = {".gif", ".tif", ".pcx", ".tga", ".sgi",
                                            ".pcd", ".ppm", ".rla", ".wmf", ".pgm"};
  constexpr size_t kCount = sizeof kExtensions / sizeof kExtensions[0];
  if (size < 1) return 0;
  qvfuzz::LoadPictureInput(data + 1, size - 1, kExtensions[data[0] % kCount]);
  return 0;
}
