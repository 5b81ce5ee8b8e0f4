#pragma once
// Turning a picture file into a Bitmap24: the reader is chosen by the file name's
// extension, without regard to case.
#include <string>
#include <vector>

#include "codecs/Bitmap24.h"

namespace qv {

// Loads any supported picture. Throws EPictureError when the extension has no reader or the
// file cannot be decoded; never crashes on a damaged file.
Bitmap24 LoadPicture24(const std::string& fileName);

// Loads an icon file: a bitmap of the icon's size, white where the icon is transparent.
Bitmap24 IconFileToBitmap(const std::string& fileName);

// True when the extension (".jpg", "JPG", any case) has a reader.
bool IsPictureExtension(const std::string& ext);

// The extensions the program reads, with the descriptions shown in open-picture dialogs.
struct PictureFileType {
  std::string Description;              // "JPEG Image File"
  std::vector<std::string> Extensions;  // lower case, without dot: {"jpg", "jpeg"}
};
const std::vector<PictureFileType>& PictureFileTypes();

}  // namespace qv
