#pragma once
// Turning a picture file into a Bitmap24: the reader is chosen by the file name's
// extension, without regard to case.
//
// Readers: JPEG through libjpeg-turbo, PNG through libpng, Photoshop and Autodesk Animator
// pictures through our own decoders, every other type through GraphicsMagick with the
// format named by the extension. Translucent pixels are put over white. A multi-picture
// file gives its first picture, except an icon file, which gives its largest picture.
// Enhanced Metafiles (.emf) have no reader.
#include <string>
#include <vector>

#include "raster/Bitmap24.h"

namespace qv {

// Loads any supported picture. Throws EPictureError when the extension has no reader, the
// file cannot be read or it cannot be decoded; never crashes on a damaged file. A file whose
// content plainly belongs to another common type (a PNG saved as .jpg) is still loaded
// when its own reader rejects it.
Bitmap24 LoadPicture24(const std::string& fileName);

// Decodes a picture file already read into memory, by the reader of the extension (".png",
// "PNG", any case), with the same fallback by content as LoadPicture24. A Dr. Halo picture
// decoded this way cannot find its palette file and comes out grey.
Bitmap24 DecodePicture(const std::string& bytes, const std::string& ext);

// Loads an icon file: a bitmap of the icon's size, white where the icon is transparent.
// Of the several sizes an icon file may hold, the largest is taken.
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
