// Formats no library here writes, built byte by byte: Autodesk Animator, Dr. Halo,
// Windows metafile and Wavefront RLA pictures.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CodecTestUtil.h"
#include "HandBuiltPictures.h"
#include "base/Errors.h"
#include "codecs/AutodeskCelCodec.h"
#include "codecs/PictureLoader.h"
#include "support/TestFiles.h"
#include "support/TestPictures.h"

using namespace qv;
using namespace qvtest;
using qvtest::AppendLE16;

namespace {

TEST(HandBuiltFormatsTest, AutodeskAnimatorPictures) {
  qvtest::TempDir dir;
  qvtest::WriteBytes(dir.File("a.cel"), AnimatorCel(5, 3, 255));
  Bitmap24 bmp = LoadPicture24(dir.File("a.cel"));
  ASSERT_EQ(bmp.Width(), 5);
  ASSERT_EQ(bmp.Height(), 3);
  ExpectColour(bmp, 4, 2, 6, 12, 18);
  // Six-bit VGA colour tables (every value up to 63) are widened to eight bits.
  qvtest::WriteBytes(dir.File("b.PIC"), AnimatorCel(5, 3, 63));
  bmp = LoadPicture24(dir.File("b.PIC"));
  ExpectColour(bmp, 1, 0, 4, 8, 12);
  ExpectColour(bmp, 2, 0, 8, 16, 24);
  // 21 x 3 = 63 is full intensity.
  std::string full = AnimatorCel(30, 1, 63);
  bmp = DecodeAutodeskCel(reinterpret_cast<const uint8_t*>(full.data()), full.size());
  ExpectColour(bmp, 21, 0, (21 * 255 + 31) / 63, (42 * 255 + 31) / 63, 255);

  // Other ".pic" files, damaged and cut files.
  qvtest::WriteBytes(dir.File("other.pic"), std::string("\x12\x34", 2) + std::string(900, 'x'));
  EXPECT_THROW(LoadPicture24(dir.File("other.pic")), EPictureError);
  std::string good = AnimatorCel(6, 4, 255);
  for (size_t n = 0; n < good.size(); n += 5)
    EXPECT_THROW(DecodeAutodeskCel(reinterpret_cast<const uint8_t*>(good.data()), n), EPictureError) << n;
  std::string deep = good;
  deep[10] = 16;
  EXPECT_THROW(DecodeAutodeskCel(reinterpret_cast<const uint8_t*>(deep.data()), deep.size()), EPictureError);
}

TEST(HandBuiltFormatsTest, DrHaloPicturesWithAndWithoutPalette) {
  qvtest::TempDir dir;
  qvtest::WriteBytes(dir.File("grey.cut"), HaloCut());
  Bitmap24 bmp = LoadPicture24(dir.File("grey.cut"));
  ASSERT_EQ(bmp.Width(), 6);
  ASSERT_EQ(bmp.Height(), 2);
  ExpectColour(bmp, 0, 1, 2, 2, 2);  // no palette: the index as grey
  ExpectColour(bmp, 4, 0, 20, 20, 20);

  // The palette file beside it: "AH" header, then 16-bit red, green, blue per entry.
  std::string pal = "AH";
  AppendLE16(pal, 0);
  AppendLE16(pal, 0);
  pal += char(10);
  pal += char(0);
  for (int v : {0, 0, 255, 255, 255, 255}) AppendLE16(pal, unsigned(v));
  pal += std::string(20, '\0');
  for (int i = 0; i < 256; ++i) {
    AppendLE16(pal, unsigned(i));
    AppendLE16(pal, unsigned(255 - i));
    AppendLE16(pal, 128);
  }
  qvtest::WriteBytes(dir.File("colour.cut"), HaloCut());
  qvtest::WriteBytes(dir.File("colour.pal"), pal);
  bmp = LoadPicture24(dir.File("colour.cut"));
  ExpectColour(bmp, 0, 1, 2, 253, 128);
  ExpectColour(bmp, 4, 0, 20, 235, 128);
}

TEST(HandBuiltFormatsTest, WindowsMetafileIsDrawnOntoWhite) {
  qvtest::TempDir dir;
  qvtest::WriteBytes(dir.File("m.wmf"), Metafile());
  Bitmap24 bmp = LoadPicture24(dir.File("m.wmf"));
  ASSERT_EQ(bmp.Width(), 100);
  ASSERT_EQ(bmp.Height(), 50);
  ExpectColour(bmp, 30, 25, 0x20, 0x80, 0xC0);
  ExpectColour(bmp, 80, 5, 255, 255, 255);
  ExpectColour(bmp, 5, 45, 255, 255, 255);
}

TEST(HandBuiltFormatsTest, WavefrontPicturesUnderBothExtensions) {
  qvtest::TempDir dir;
  for (const char* name : {"a.rla", "b.RPF"}) {
    qvtest::WriteBytes(dir.File(name), Rla());
    Bitmap24 bmp = LoadPicture24(dir.File(name));
    ASSERT_EQ(bmp.Width(), 4);
    ASSERT_EQ(bmp.Height(), 3);
    ExpectColour(bmp, 0, 0, 0, 100, 200);
    ExpectColour(bmp, 3, 2, 32, 102, 203);
  }
}

}  // namespace
