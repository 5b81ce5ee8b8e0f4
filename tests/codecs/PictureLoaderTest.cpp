// The loader: dispatch by extension, icons, transparency, the dialog type list, files that
// carry the wrong extension.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <thread>
#include <vector>

#include "CodecTestUtil.h"
#include "HandBuiltPictures.h"
#include "base/Errors.h"
#include "base/FileUtil.h"
#include "codecs/CodecSupport.h"
#include "codecs/JpegCodec.h"
#include "codecs/PictureLoader.h"
#include "support/TestFiles.h"
#include "support/TestPictures.h"

using namespace qv;
using namespace qvtest;

namespace {

TEST(PictureLoaderTest, IconsGiveTheirLargestImageOverWhite) {
  qvtest::TempDir dir;
  std::string path = dir.File("a.ico");
  qvtest::WriteBytes(path, IconFile({{16, 24, IconDib(16, 24, 10, 20, 200)},
                                     {48, 24, IconDib(48, 24, 10, 20, 200)},
                                     {32, 32, IconDib(32, 32, 10, 20, 200)}}));
  for (const Bitmap24& bmp : {IconFileToBitmap(path), LoadPicture24(path)}) {
    ASSERT_EQ(bmp.Width(), 48);
    ASSERT_EQ(bmp.Height(), 48);
    ExpectColour(bmp, 5, 5, 255, 255, 255);  // masked out
    ExpectColour(bmp, 40, 5, 200, 20, 10);
    ExpectColour(bmp, 0, 5, 255 - 200, 255 - 20, 255 - 10);  // masked colour inverts the white
  }
  // Alpha of a 32-bit icon image: clear, half, opaque.
  qvtest::WriteBytes(path, IconFile({{30, 32, IconDib(30, 32, 10, 20, 200)}}));
  Bitmap24 bmp = IconFileToBitmap(path);
  ExpectColour(bmp, 2, 2, 255, 255, 255);
  ExpectColour(bmp, 15, 2, OverWhite(200, 128), OverWhite(20, 128), OverWhite(10, 128));
  ExpectColour(bmp, 25, 2, 200, 20, 10);
}

TEST(PictureLoaderTest, IconWithPngImageAndUpperCaseExtension) {
  qvtest::TempDir dir;
  Bitmap24 big = qvtest::MakeTestPicture(256, 256);
  qvtest::WriteWithMagick(big, dir.File("big.png"), "PNG");
  std::string png = qvtest::ReadBytes(dir.File("big.png"));
  std::string path = dir.File("B.ICO");
  qvtest::WriteBytes(path, IconFile({{32, 24, IconDib(32, 24, 1, 2, 3)}, {256, 32, png}}));
  EXPECT_TRUE(LoadPicture24(path) == big);
}

// A 4-bit icon image: colour table entries 0 black, 1 red, 2 green; pixel x uses entry
// x % 3; the mask hides column 1.
std::string PaletteIconDib(int size) {
  std::string d;
  AppendLE32(d, 40);
  AppendLE32(d, uint32_t(size));
  AppendLE32(d, uint32_t(size * 2));
  AppendLE16(d, 1);
  AppendLE16(d, 4);
  AppendLE32(d, 0);
  AppendLE32(d, 0);
  AppendLE32(d, 0);
  AppendLE32(d, 0);
  AppendLE32(d, 3);  // colours used
  AppendLE32(d, 0);
  for (uint32_t c : {0x000000u, 0xFF0000u, 0x00FF00u}) AppendLE32(d, c);  // stored blue, green, red, 0
  const int stride = (size * 4 + 31) / 32 * 4;
  for (int y = 0; y < size; ++y) {
    std::string row(size_t(stride), '\0');
    for (int x = 0; x < size; ++x) row[size_t(x / 2)] = char(row[size_t(x / 2)] | ((x % 3) << (x % 2 ? 0 : 4)));
    d += row;
  }
  const int maskStride = (size + 31) / 32 * 4;
  for (int y = 0; y < size; ++y) {
    std::string row(size_t(maskStride), '\0');
    row[0] = char(0x40);
    d += row;
  }
  return d;
}

TEST(PictureLoaderTest, PaletteIconsAndDamagedEntries) {
  qvtest::TempDir dir;
  std::string path = dir.File("p.ico");
  // The larger entry is damaged (its data lies past the end): the next one is used.
  std::string icon = IconFile({{8, 4, PaletteIconDib(8)}, {64, 32, std::string(10, 'x')}});
  qvtest::WriteBytes(path, icon);
  Bitmap24 bmp = IconFileToBitmap(path);
  ASSERT_EQ(bmp.Width(), 8);
  ExpectColour(bmp, 0, 0, 0, 0, 0);
  ExpectColour(bmp, 1, 3, 0, 255, 255);  // red under the mask: inverted white
  ExpectColour(bmp, 2, 3, 0, 255, 0);
  ExpectColour(bmp, 4, 3, 255, 0, 0);
  qvtest::WriteBytes(path, icon.substr(0, 30));
  EXPECT_THROW(IconFileToBitmap(path), EPictureError);
}

TEST(PictureLoaderTest, DecodesFromSeveralThreadsAtOnce) {
  qvtest::TempDir dir;
  Bitmap24 src = qvtest::MakeTestPicture(50, 40);
  const char* formats[] = {"TGA", "GIF", "TIFF", "PCX"};
  const char* names[] = {"a.tga", "b.gif", "c.tif", "d.pcx"};
  for (int i = 0; i < 4; ++i) qvtest::WriteWithMagick(src, dir.File(names[i]), formats[i]);
  qvtest::WriteBytes(dir.File("e.jpg"), EncodeJpeg(src, 90));
  std::vector<Bitmap24> expected;
  for (int i = 0; i < 4; ++i) expected.push_back(LoadPicture24(dir.File(names[i])));
  std::vector<std::thread> threads;
  std::vector<int> failures(4, 0);
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&, t] {
      for (int round = 0; round < 25; ++round) {
        int i = (t + round) % 4;
        if (!(LoadPicture24(dir.File(names[i])) == expected[size_t(i)])) ++failures[size_t(t)];
        if (LoadPicture24(dir.File("e.jpg")).Width() != 50) ++failures[size_t(t)];
      }
    });
  for (auto& th : threads) th.join();
  for (int f : failures) EXPECT_EQ(f, 0);
}

TEST(PictureLoaderTest, TransparentPixelsOfOtherFormatsAreWhite) {
  qvtest::TempDir dir;
  Bitmap24 src = qvtest::MakeTestPicture(12, 6);
  // Left half clear, right half opaque.
  auto halfClear = [](Magick::Image& img) {
    img.matte(true);
    img.modifyImage();
    Magick::PixelPacket* p = img.getPixels(0, 0, img.columns(), img.rows());
    for (unsigned y = 0; y < img.rows(); ++y)
      for (unsigned x = 0; x < img.columns(); ++x)
        p[y * img.columns() + x].opacity = x < img.columns() / 2 ? MaxRGB : 0;
    img.syncPixels();
  };
  for (const char* fmt : {"GIF", "TGA", "TIFF", "PNG"}) {
    std::string path = dir.File(std::string("t.") + fmt);
    Bitmap24 base = std::string(fmt) == "GIF" ? Bitmap24() : src;
    if (base.Empty()) base.SetSize(12, 6, 40, 90, 160);
    qvtest::WriteWithMagick(base, path, fmt, halfClear);
    Bitmap24 bmp = LoadPicture24(path);
    ExpectColour(bmp, 1, 1, 255, 255, 255);
    ExpectColour(bmp, 9, 1, base.Pixel(9, 1)[2], base.Pixel(9, 1)[1], base.Pixel(9, 1)[0]);
  }
}

TEST(PictureLoaderTest, AlphaThatHidesEverythingIsIgnored) {
  // Some writers store 32-bit Targa pictures with an alpha of 0 everywhere.
  qvtest::TempDir dir;
  Bitmap24 src = qvtest::MakeTestPicture(10, 4);
  qvtest::WriteWithMagick(src, dir.File("z.tga"), "TGA", [](Magick::Image& img) {
    img.matte(true);
    img.modifyImage();
    Magick::PixelPacket* p = img.getPixels(0, 0, img.columns(), img.rows());
    for (unsigned i = 0; i < img.columns() * img.rows(); ++i) p[i].opacity = MaxRGB;
    img.syncPixels();
  });
  EXPECT_TRUE(LoadPicture24(dir.File("z.tga")) == src);
}

TEST(PictureLoaderTest, GifFrameIsPlacedOnItsLogicalScreen) {
  qvtest::TempDir dir;
  Bitmap24 frame;
  frame.SetSize(4, 3, 0, 0, 255);
  qvtest::WriteWithMagick(frame, dir.File("s.gif"), "GIF",
                          [](Magick::Image& img) { img.page(Magick::Geometry(10, 8, 5, 2)); });
  Bitmap24 bmp = LoadPicture24(dir.File("s.gif"));
  ASSERT_EQ(bmp.Width(), 10);
  ASSERT_EQ(bmp.Height(), 8);
  ExpectColour(bmp, 0, 0, 255, 255, 255);
  ExpectColour(bmp, 5, 2, 255, 0, 0);
  ExpectColour(bmp, 8, 4, 255, 0, 0);
  ExpectColour(bmp, 9, 4, 255, 255, 255);
}

TEST(PictureLoaderTest, ExtensionsAndDialogTypes) {
  const char* table[] = {"bmp", "dib", "rle", "jpg", "jpeg", "ico", "wmf", "png", "gif", "tif", "tiff", "pcx",
                         "pcc", "tga", "vda", "icb", "vst",  "win", "psd", "pdd", "sgi", "rgb", "rgba", "bw",
                         "cel", "pic", "cut", "pcd", "pbm",  "pgm", "ppm", "rla", "rpf", "scr"};
  std::set<std::string> listed;
  for (const PictureFileType& t : PictureFileTypes()) {
    EXPECT_FALSE(t.Description.empty());
    for (const std::string& e : t.Extensions) EXPECT_TRUE(listed.insert(e).second) << e;
  }
  for (const char* e : table) {
    EXPECT_TRUE(IsPictureExtension(e)) << e;
    EXPECT_TRUE(IsPictureExtension("." + qv::UpperCaseAscii(e))) << e;
    EXPECT_EQ(listed.count(e), 1u) << e;
  }
  EXPECT_EQ(listed.size(), std::size(table));
  EXPECT_EQ(PictureFileTypes()[2].Description, "JPEG Image File");
  EXPECT_FALSE(IsPictureExtension(".emf"));
  EXPECT_FALSE(IsPictureExtension(".txt"));
  EXPECT_FALSE(IsPictureExtension(""));
  EXPECT_FALSE(IsPictureExtension("."));
}

TEST(PictureLoaderTest, UnreadableTypesRaisePictureError) {
  qvtest::TempDir dir;
  qvtest::WriteBytes(dir.File("a.emf"), std::string(100, '\1'));
  qvtest::WriteBytes(dir.File("a.txt"), "hello");
  qvtest::WriteBytes(dir.File("noext"), "hello");
  EXPECT_THROW(LoadPicture24(dir.File("a.emf")), EPictureError);
  EXPECT_THROW(LoadPicture24(dir.File("a.txt")), EPictureError);
  EXPECT_THROW(LoadPicture24(dir.File("noext")), EPictureError);
  EXPECT_THROW(LoadPicture24(dir.File("missing.jpg")), EPictureError);
  EXPECT_THROW(LoadPicture24(dir.Path()), EPictureError);  // a folder
  try {
    LoadPicture24(dir.File("a.emf"));
  } catch (const EPictureError& e) {
    EXPECT_NE(std::string(e.what()).find("Enhanced Metafiles"), std::string::npos);
  }
}

TEST(PictureLoaderTest, FilesWithTheWrongExtensionStillLoad) {
  qvtest::TempDir dir;
  Bitmap24 src = qvtest::MakeTestPicture(9, 7);
  qvtest::WriteWithMagick(src, dir.File("really-png.jpg"), "PNG");
  EXPECT_TRUE(LoadPicture24(dir.File("really-png.jpg")) == src);
  qvtest::WriteBytes(dir.File("really-jpeg.bmp"), EncodeJpeg(src, 90));
  EXPECT_EQ(LoadPicture24(dir.File("really-jpeg.bmp")).Width(), 9);
  qvtest::WriteWithMagick(src, dir.File("really-bmp.pcx"), "BMP");
  EXPECT_TRUE(LoadPicture24(dir.File("really-bmp.pcx")) == src);
}

// Pictures above the usual limit are refused unless the thread allows a mosaic's large
// source picture, and then only up to that limit; the allowance ends with its scope and
// stays on its own thread.
TEST(PictureLoaderTest, LargeSourcePicturesOnlyUnderTheAllowance) {
  EXPECT_THROW(CheckPictureSize(20000, 20000), EPictureError);
  {
    const TLargePictureAllowance large;
    EXPECT_NO_THROW(CheckPictureSize(40000, 30000));
    EXPECT_THROW(CheckPictureSize(50000, 50000), EPictureError);
    bool otherThread = false;
    std::thread([&] {
      try {
        CheckPictureSize(40000, 30000);
      } catch (const EPictureError&) {
        otherThread = true;
      }
    }).join();
    EXPECT_TRUE(otherThread);
    { const TLargePictureAllowance nested; }
    EXPECT_NO_THROW(CheckPictureSize(40000, 30000));
  }
  EXPECT_THROW(CheckPictureSize(40000, 30000), EPictureError);
}

}  // namespace
