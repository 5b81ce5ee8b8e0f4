// Every picture type a library here can also write: written with GraphicsMagick (or our own
// writers), loaded back with LoadPicture24 by each of its extensions.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CodecTestUtil.h"
#include "base/Errors.h"
#include "codecs/BmpCodec.h"
#include "codecs/JpegCodec.h"
#include "codecs/PictureLoader.h"
#include "support/TestFiles.h"

using namespace qv;

namespace {

// At most 16 colours, for the palette formats.
Bitmap24 MakeFewColours(int w, int h) {
  static const uint8_t kColours[6][3] = {{0, 0, 0},    {255, 255, 255}, {10, 200, 30},
                                         {250, 5, 90}, {40, 80, 160},   {128, 128, 0}};
  Bitmap24 bmp(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) std::memcpy(bmp.Pixel(x, y), kColours[(x / 3 + y / 2) % 6], 3);
  return bmp;
}

Bitmap24 MakeGrey(int w, int h, bool blackWhite) {
  Bitmap24 bmp(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint8_t v = blackWhite ? ((x + y) % 3 == 0 ? 0 : 255) : uint8_t(x * 9 + y * 5);
      bmp.Pixel(x, y)[0] = bmp.Pixel(x, y)[1] = bmp.Pixel(x, y)[2] = v;
    }
  return bmp;
}

struct Case {
  std::vector<std::string> exts;  // every extension that must read this file
  std::string format;             // GraphicsMagick writer
  int kind;                       // 0 full colour, 1 few colours, 2 grey, 3 black and white
  std::function<void(Magick::Image&)> adjust;
};

TEST(PictureRoundTripTest, LosslessFormatsLoadPixelExactUnderEveryExtension) {
  auto compress = [](Magick::CompressionType c) { return [c](Magick::Image& i) { i.compressType(c); }; };
  const std::vector<Case> cases = {
      {{"bmp", "dib", "BMP"}, "BMP", 0, {}},
      {{"rle"},
       "BMP3",
       1,
       [](Magick::Image& i) {
         i.type(Magick::PaletteType);
         i.compressType(Magick::RLECompression);
       }},
      {{"gif", "GIF"}, "GIF", 1, {}},
      {{"tif", "tiff", "TIF"}, "TIFF", 0, {}},
      {{"tif"}, "TIFF", 0, compress(Magick::LZWCompression)},
      {{"tiff"}, "TIFF", 0, [](Magick::Image& i) { i.depth(16); }},
      {{"pcx", "pcc", "scr", "PCX"}, "PCX", 0, {}},
      {{"pcx"}, "PCX", 1, [](Magick::Image& i) { i.type(Magick::PaletteType); }},
      {{"tga", "vda", "icb", "vst", "win", "Tga"}, "TGA", 0, {}},
      {{"tga"}, "TGA", 0, compress(Magick::RLECompression)},
      {{"sgi", "rgb", "rgba", "SGI"}, "SGI", 0, {}},
      {{"sgi"}, "SGI", 0, compress(Magick::RLECompression)},
      {{"bw"}, "SGI", 2, [](Magick::Image& i) { i.type(Magick::GrayscaleType); }},
      {{"ppm", "PPM"}, "PPM", 0, {}},
      {{"pgm"}, "PGM", 2, {}},
      {{"pbm"}, "PBM", 3, {}},
      {{"png", "PNG"}, "PNG", 0, {}},
  };
  qvtest::TempDir dir;
  for (const Case& c : cases) {
    Bitmap24 src = c.kind == 0   ? qvtest::MakeTestPicture(23, 17)
                   : c.kind == 1 ? MakeFewColours(23, 17)
                                 : MakeGrey(23, 17, c.kind == 3);
    for (const std::string& ext : c.exts) {
      std::string path = dir.File("pic." + ext);
      qvtest::WriteWithMagick(src, path, c.format, c.adjust);
      try {
        Bitmap24 back = LoadPicture24(path);
        EXPECT_EQ(qvtest::MaxDifference(src, back), 0) << c.format << " as ." << ext;
      } catch (const EQuivara& e) {
        ADD_FAILURE() << c.format << " as ." << ext << ": " << e.what();
      }
    }
  }
}

TEST(PictureRoundTripTest, OurOwnWritersLoadBack) {
  qvtest::TempDir dir;
  Bitmap24 src = qvtest::MakeSmoothPicture(40, 30);
  SaveBmpFile(dir.File("a.BMP"), src);
  EXPECT_TRUE(LoadPicture24(dir.File("a.BMP")) == src);
  for (const char* name : {"b.jpg", "c.jpeg", "d.JPG"}) {
    SaveJpegFile(dir.File(name), src, 95);
    EXPECT_LE(qvtest::MaxDifference(LoadPicture24(dir.File(name)), src), 8) << name;
  }
}

TEST(PictureRoundTripTest, PhotoCdLoadsItsBaseResolution) {
  qvtest::TempDir dir;
  Bitmap24 src;
  src.SetSize(768, 512, 40, 160, 220);
  qvtest::WriteWithMagick(src, dir.File("a.pcd"), "PCD");
  Bitmap24 back = LoadPicture24(dir.File("a.pcd"));
  ASSERT_EQ(back.Width(), 768);
  ASSERT_EQ(back.Height(), 512);
  // Photo YCC is not an exact round trip through GraphicsMagick's writer; the colour stays near.
  for (int c = 0; c < 3; ++c) EXPECT_NEAR(back.Pixel(300, 200)[c], src.Pixel(300, 200)[c], 32) << c;
}

TEST(PictureRoundTripTest, CmykTiffComesOutAsRgb) {
  qvtest::EnsureMagickReady();
  // Inks: no cyan, half magenta, full yellow, 20 % black.
  Magick::Image img(Magick::Geometry(8, 8), Magick::Color("white"));
  img.colorSpace(Magick::CMYKColorspace);
  img.modifyImage();
  Magick::PixelPacket* p = img.getPixels(0, 0, 8, 8);
  for (int i = 0; i < 64; ++i) {
    p[i].red = 0;
    p[i].green = 128 * 257;
    p[i].blue = 255 * 257;
    p[i].opacity = 51 * 257;
  }
  img.syncPixels();
  img.magick("TIFF");
  Magick::Blob blob;
  img.write(&blob);
  qvtest::TempDir dir;
  qvtest::WriteBytes(dir.File("c.tif"), std::string(static_cast<const char*>(blob.data()), blob.length()));
  Bitmap24 back = LoadPicture24(dir.File("c.tif"));
  EXPECT_NEAR(back.Pixel(3, 3)[2], 204, 1);  // 255 x (1 - 0) x (1 - 0.2)
  EXPECT_NEAR(back.Pixel(3, 3)[1], 102, 1);  // 255 x (1 - 128/255) x 0.8
  EXPECT_NEAR(back.Pixel(3, 3)[0], 0, 1);
}

TEST(PictureRoundTripTest, MultiPictureFilesGiveTheirFirstPicture) {
  qvtest::TempDir dir;
  Bitmap24 red, blue;
  red.SetSize(6, 4, 0, 0, 255);
  blue.SetSize(6, 4, 255, 0, 0);
  std::vector<Magick::Image> frames = {qvtest::ToMagick(red), qvtest::ToMagick(blue)};
  for (const char* fmt : {"GIF", "TIFF"}) {
    Magick::Blob blob;
    for (auto& f : frames) f.magick(fmt);
    Magick::writeImages(frames.begin(), frames.end(), &blob, true);
    std::string path = dir.File(std::string("multi.") + (fmt[0] == 'G' ? "gif" : "tif"));
    qvtest::WriteBytes(path, std::string(static_cast<const char*>(blob.data()), blob.length()));
    EXPECT_TRUE(LoadPicture24(path) == red) << fmt;
  }
}

}  // namespace
