#include "engine/TileBuilder.h"

#include <exception>

#include "base/Errors.h"
#include "base/FileUtil.h"
#include "base/Rounding.h"
#include "codecs/JpegCodec.h"
#include "codecs/PictureLoader.h"
#include "imaging/RasterUtils.h"
#include "raster/Resample.h"

namespace qv {

Rect TileCropRect(int width, int height, int propX, int propY, int marginPercent, int cropMode) {
  if (width <= 0 || height <= 0 || propX <= 0 || propY <= 0) return Rect{};
  const double w = width, h = height;
  int x = 0, y = 0, cw, ch, s;
  if (double(propX) / propY > w / h) {  // the picture is relatively taller
    cw = width;
    ch = RoundHalfEven(w / propX * propY);
    s = RoundHalfEven(w * marginPercent / 200);
    if (cropMode >= 3 && cropMode <= 5)
      y = (height - ch) / 2;
    else if (cropMode >= 6 && cropMode <= 8)
      y = height - ch;
  } else {  // relatively wider, or the same shape
    ch = height;
    cw = RoundHalfEven(h / propY * propX);
    s = RoundHalfEven(h * marginPercent / 200);
    if (cropMode == 1 || cropMode == 4 || cropMode == 7)
      x = (width - cw) / 2;
    else if (cropMode == 2 || cropMode == 5 || cropMode == 8)
      x = width - cw;
  }
  if (cropMode == kCropStretch) {
    x = y = 0;
    cw = width;
    ch = height;
  }
  int sx = RoundHalfEven(double(s) / propY * propX);
  return Rect{x + sx, y + s, x + cw - sx, y + ch - s};
}

int ThumbHeightFor(int thumbWidth, int propX, int propY) {
  if (propX <= 0) return 0;
  return RoundHalfEven(double(thumbWidth) / propX * propY);
}

namespace {

bool IsJpegExtension(const std::string& upperExt) { return upperExt == ".JPG" || upperExt == ".JPEG"; }

void Prepare(const std::string& fileName, const TBuildSettings& s, TPreparedTile& t) {
  const int thumbHeight = s.ThumbHeight(), filter = ResampleFilterFromCode(s.FilterCode);
  std::string ext = UpperCaseAscii(ExtractFileExt(fileName));
  Bitmap24 picture;
  int fullW = 0, fullH = 0;
  bool sizeFromHeader = false;
  if (s.FastJpeg && IsJpegExtension(ext)) {
    JpegScaleChoice choice = ChooseJpegScale(fileName, s.ThumbWidth, thumbHeight);
    try {
      picture = DecodeJpegFile(fileName, choice.Scale);
      if (choice.Scale != 0) {
        fullW = choice.JpegWidth;
        fullH = choice.JpegHeight;
        sizeFromHeader = true;
      }
    } catch (const EPictureError&) {
      // Not a JPEG after all (a PNG saved as .jpg, say): the loader finds its real type.
      picture = LoadPicture24(fileName);
    }
  } else if (ext == ".ICO") {
    picture = IconFileToBitmap(fileName);
  } else {
    picture = LoadPicture24(fileName);
  }
  if (!sizeFromHeader) {
    fullW = picture.Width();
    fullH = picture.Height();
  }
  if (picture.Empty() || fullW <= 0 || fullH <= 0) throw EPictureError("Empty picture");
  // The record keeps the picture's size and crop rectangle as 16-bit values.
  if (fullW > 0xFFFF || fullH > 0xFFFF) throw EPictureError("Picture too large for a tile record");

  Rect draw = TileCropRect(picture.Width(), picture.Height(), s.PropX, s.PropY, s.MarginPercent, s.CropMode);
  if (draw.Width() <= 0 || draw.Height() <= 0) throw EPictureError("Nothing left of the picture after cropping");
  t.Cropped.SetSize(draw.Width(), draw.Height());
  t.Cropped.Draw(picture, -draw.Left, -draw.Top);
  picture = Bitmap24();

  Bitmap24 thumb = Resample(t.Cropped, s.ThumbWidth, thumbHeight, filter);
  t.Jpeg = EncodeJpeg(thumb, s.JpegQuality);
  // The signature is made from the thumbnail bitmap, not from the full picture.
  Bitmap24 grid = Resample(thumb, s.GridW, s.GridH, filter);
  t.Signature = SignatureOf(grid, s.ColorSystem);
  if (t.Signature.size() != static_cast<size_t>(s.GridW) * s.GridH * 3)
    throw EPictureError("Signature of the wrong size");

  t.PicWidth = fullW;
  t.PicHeight = fullH;
  t.Crop = TileCropRect(fullW, fullH, s.PropX, s.PropY, s.MarginPercent, s.CropMode);
}

}  // namespace

TPreparedTile PrepareTile(const std::string& fileName, const TBuildSettings& settings) {
  TPreparedTile t;
  try {
    Prepare(fileName, settings, t);
    t.Ok = true;
  } catch (const std::exception& e) {
    t = TPreparedTile();
    t.Error = e.what();
  }
  return t;
}

}  // namespace qv
