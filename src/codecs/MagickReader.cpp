#include "codecs/MagickReader.h"

#include <magick/api.h>

#include <cstring>
#include <mutex>

#include "base/Errors.h"
#include "base/FileUtil.h"
#include "codecs/CodecSupport.h"

namespace qv {

// Signal handlers stay the program's own. The limits keep a hostile header from claiming
// gigabytes or spilling the pixel cache to disk.
void EnsureMagick() {
  static std::once_flag once;
  std::call_once(once, [] {
    ExceptionInfo ex;
    GetExceptionInfo(&ex);
    InitializeMagickEx(nullptr, MAGICK_OPT_NO_SIGNAL_HANDER, &ex);
    DestroyExceptionInfo(&ex);
    SetMagickResourceLimit(PixelsResource, kMaxPicturePixels);
    SetMagickResourceLimit(WidthResource, kMaxPictureSide);
    SetMagickResourceLimit(HeightResource, kMaxPictureSide);
    SetMagickResourceLimit(MemoryResource, int64_t(4) << 30);
    SetMagickResourceLimit(MapResource, int64_t(4) << 30);
    SetMagickResourceLimit(DiskResource, 0);
  });
}

namespace {

struct ExceptionGuard {
  ExceptionInfo ex;
  ExceptionGuard() { GetExceptionInfo(&ex); }
  ~ExceptionGuard() { DestroyExceptionInfo(&ex); }
  std::string Text() const {
    std::string s = ex.reason ? ex.reason : "";
    if (ex.description && *ex.description) s += std::string(" (") + ex.description + ")";
    return s.empty() ? std::string("unknown error") : s;
  }
};

struct ImageListGuard {
  Image* list = nullptr;
  ~ImageListGuard() {
    if (list) DestroyImageList(list);
  }
};

struct ImageInfoGuard {
  ImageInfo* info = CloneImageInfo(nullptr);
  ~ImageInfoGuard() {
    if (info) DestroyImageInfo(info);
  }
};

uint8_t ToByte(Quantum q) { return uint8_t((uint64_t(q) * 255u + MaxRGB / 2) / MaxRGB); }

bool HasVisibleAlpha(const Image* image, ExceptionInfo* ex) {
  if (!image->matte) return false;
  for (unsigned long y = 0; y < image->rows; ++y) {
    const PixelPacket* p = AcquireImagePixels(image, 0, long(y), image->columns, 1, ex);
    if (!p) return false;
    for (unsigned long x = 0; x < image->columns; ++x)
      if (p[x].opacity != TransparentOpacity) return true;
  }
  return false;
}

// Copies a decoded frame into a Bitmap24. A frame that sits on a larger canvas (a GIF frame
// smaller than its logical screen) is placed on a white canvas of the full size.
Bitmap24 ToBitmap24(Image* image, bool useCanvas) {
  ExceptionGuard ex;
  CheckPictureSize(image->columns, image->rows);
  if (!IsRGBCompatibleColorspace(image->colorspace) && !TransformColorspace(image, RGBColorspace))
    throw EPictureError("Cannot convert the picture's colours to RGB");
  const bool alpha = HasVisibleAlpha(image, &ex.ex);

  long offX = 0, offY = 0;
  unsigned long canvasW = image->columns, canvasH = image->rows;
  if (useCanvas && image->page.width >= image->columns && image->page.height >= image->rows &&
      (image->page.width > image->columns || image->page.height > image->rows)) {
    CheckPictureSize(image->page.width, image->page.height);
    canvasW = image->page.width;
    canvasH = image->page.height;
    offX = image->page.x;
    offY = image->page.y;
  }
  Bitmap24 bmp;
  if (canvasW != image->columns || canvasH != image->rows)
    bmp.SetSize(int(canvasW), int(canvasH), 255, 255, 255);
  else
    bmp.SetSize(int(canvasW), int(canvasH));

  for (unsigned long y = 0; y < image->rows; ++y) {
    long ty = long(y) + offY;
    if (ty < 0 || ty >= long(canvasH)) continue;
    const PixelPacket* p = AcquireImagePixels(image, 0, long(y), image->columns, 1, &ex.ex);
    if (!p) throw EPictureError("Cannot read the decoded pixels: " + ex.Text());
    uint8_t* row = bmp.Row(int(ty));
    for (unsigned long x = 0; x < image->columns; ++x) {
      long tx = long(x) + offX;
      if (tx < 0 || tx >= long(canvasW)) continue;
      uint8_t* d = row + tx * 3;
      uint8_t b = ToByte(p[x].blue), g = ToByte(p[x].green), r = ToByte(p[x].red);
      if (alpha) {
        unsigned a = 255u - ToByte(p[x].opacity);
        b = OverWhite(b, a);
        g = OverWhite(g, a);
        r = OverWhite(r, a);
      }
      d[0] = b;
      d[1] = g;
      d[2] = r;
    }
  }
  return bmp;
}

}  // namespace

namespace {

// Decodes from memory, or from the named file when data is null.
Bitmap24 Read(const uint8_t* data, size_t size, const std::string& fileName, const std::string& format) {
  EnsureMagick();
  ImageInfoGuard info;
  if (!info.info) throw EPictureError("Cannot start the picture decoder");
  std::snprintf(info.info->magick, sizeof info.info->magick, "%s", format.c_str());
  // Only the first frame of an animation or a multi-page file is decoded. (Other coders give
  // scene numbers other meanings: Photo-CD uses them for its resolutions.)
  if (format == "GIF" || format == "TIFF") {
    info.info->subimage = 0;
    info.info->subrange = 1;
  }
  ExceptionGuard ex;
  ImageListGuard images;
  if (data) {
    std::snprintf(info.info->filename, sizeof info.info->filename, "%s:", format.c_str());
    images.list = BlobToImage(info.info, data, size, &ex.ex);
  } else {
    std::string spec = format + ":" + fileName;
    if (spec.size() >= sizeof info.info->filename) throw EPictureError("The file name is too long");
    std::snprintf(info.info->filename, sizeof info.info->filename, "%s", spec.c_str());
    images.list = ReadImage(info.info, &ex.ex);
  }
  if (!images.list || images.list->columns == 0 || images.list->rows == 0)
    throw EPictureError("Cannot decode " + format + " picture: " + ex.Text());
  // A frame decoded with a warning (or a reader that stopped early) still gives its pixels.
  return ToBitmap24(images.list, format == "GIF");
}

}  // namespace

Bitmap24 DecodeWithMagick(const uint8_t* data, size_t size, const std::string& format) {
  if (size == 0) throw EPictureError("The picture file is empty");
  return Read(data, size, std::string(), format);
}

Bitmap24 DecodeFileWithMagick(const std::string& fileName, const std::string& format) {
  if (FileSize(fileName) <= 0) throw EPictureError("Cannot read file " + fileName);
  return Read(nullptr, 0, fileName, format);
}

}  // namespace qv
