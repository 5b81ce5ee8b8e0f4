// Photoshop pictures built byte by byte: modes, depths, raw and PackBits data, damage.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "CodecTestUtil.h"
#include "HandBuiltPictures.h"
#include "base/Errors.h"
#include "codecs/PictureLoader.h"
#include "codecs/PsdCodec.h"
#include "support/TestFiles.h"

using namespace qv;
using namespace qvtest;
using qvtest::AppendBE32;

namespace {

Bitmap24 Decode(const std::string& bytes) {
  return DecodePsd(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

Psd RgbPsd(const Bitmap24& src, bool withAlpha) {
  Psd p;
  p.width = src.Width();
  p.height = src.Height();
  for (int c = 2; c >= 0; --c) {
    std::string plane;
    for (int y = 0; y < p.height; ++y)
      for (int x = 0; x < p.width; ++x) plane += char(src.Pixel(x, y)[c]);
    p.planes.push_back(plane);
  }
  if (withAlpha) p.planes.push_back(std::string(size_t(p.width * p.height), '\0'));
  return p;
}

// Repetitive rows, so that the PackBits data has runs.
Bitmap24 Stripes(int w, int h) {
  Bitmap24 bmp(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      bmp.Pixel(x, y)[0] = uint8_t(x < w / 2 ? 10 : x * 3);
      bmp.Pixel(x, y)[1] = uint8_t(y * 20);
      bmp.Pixel(x, y)[2] = uint8_t(x > w - 4 ? 250 : 7);
    }
  return bmp;
}

TEST(PsdCodecTest, RgbRawAndPackBitsInBothVersions) {
  Bitmap24 src = Stripes(150, 5);  // rows longer than one PackBits packet
  Psd p = RgbPsd(src, true);
  EXPECT_TRUE(Decode(p.Bytes()) == src);
  p.rle = true;
  EXPECT_TRUE(Decode(p.Bytes()) == src);
  p.version = 2;
  EXPECT_TRUE(Decode(p.Bytes()) == src);
  Psd noisy = RgbPsd(qvtest::MakeTestPicture(33, 9), false);
  noisy.rle = true;
  EXPECT_TRUE(Decode(noisy.Bytes()) == qvtest::MakeTestPicture(33, 9));
}

TEST(PsdCodecTest, GreyIndexedCmykBitmapLabAndFloat) {
  Psd grey;
  grey.width = 3;
  grey.height = 1;
  grey.depth = 16;
  grey.mode = 1;
  grey.planes = {std::string("\x00\x00\xFF\xFF\x12\x12", 6)};
  Bitmap24 g = Decode(grey.Bytes());
  EXPECT_EQ(g.Pixel(0, 0)[0], 0);
  EXPECT_EQ(g.Pixel(1, 0)[1], 255);
  EXPECT_EQ(g.Pixel(2, 0)[2], 0x12);

  Psd indexed;
  indexed.width = 2;
  indexed.height = 1;
  indexed.mode = 2;
  indexed.colorData = std::string(768, '\0');
  indexed.colorData[5] = char(200);        // red of entry 5
  indexed.colorData[256 + 5] = char(100);  // green
  indexed.colorData[512 + 5] = char(50);   // blue
  indexed.planes = {std::string("\x05\x00", 2)};
  Bitmap24 ix = Decode(indexed.Bytes());
  EXPECT_EQ(ix.Pixel(0, 0)[2], 200);
  EXPECT_EQ(ix.Pixel(0, 0)[1], 100);
  EXPECT_EQ(ix.Pixel(0, 0)[0], 50);
  EXPECT_EQ(ix.Pixel(1, 0)[0], 0);

  // CMYK is stored inverted: 255 means no ink. No cyan, full magenta, no yellow, 20 % black.
  Psd cmyk;
  cmyk.width = 1;
  cmyk.height = 1;
  cmyk.mode = 4;
  cmyk.planes = {"\xFF", std::string(1, '\0'), "\xFF", std::string(1, char(204))};
  Bitmap24 c = Decode(cmyk.Bytes());
  EXPECT_EQ(c.Pixel(0, 0)[2], 204);
  EXPECT_EQ(c.Pixel(0, 0)[1], 0);
  EXPECT_EQ(c.Pixel(0, 0)[0], 204);

  Psd bits;
  bits.width = 10;
  bits.height = 1;
  bits.depth = 1;
  bits.mode = 0;
  bits.planes = {std::string("\x80\x40", 2)};  // pixels 0 and 9 set: black
  Bitmap24 b = Decode(bits.Bytes());
  EXPECT_EQ(b.Pixel(0, 0)[0], 0);
  EXPECT_EQ(b.Pixel(1, 0)[0], 255);
  EXPECT_EQ(b.Pixel(9, 0)[0], 0);

  Psd lab;
  lab.width = 2;
  lab.height = 1;
  lab.mode = 9;
  lab.planes = {std::string("\xFF\x00", 2), std::string("\x80\x80", 2), std::string("\x80\x80", 2)};
  Bitmap24 l = Decode(lab.Bytes());
  for (int ch = 0; ch < 3; ++ch) {
    EXPECT_NEAR(l.Pixel(0, 0)[ch], 255, 1);
    EXPECT_NEAR(l.Pixel(1, 0)[ch], 0, 1);
  }

  Psd linear;
  linear.width = 3;
  linear.height = 1;
  linear.depth = 32;
  linear.mode = 1;
  std::string f;
  for (float v : {0.0f, 1.0f, 0.5f}) {
    uint32_t u;
    std::memcpy(&u, &v, 4);
    AppendBE32(f, u);
  }
  linear.planes = {f};
  Bitmap24 fl = Decode(linear.Bytes());
  EXPECT_EQ(fl.Pixel(0, 0)[0], 0);
  EXPECT_EQ(fl.Pixel(1, 0)[0], 255);
  EXPECT_EQ(fl.Pixel(2, 0)[0], 188);  // linear 0.5 in sRGB
}

TEST(PsdCodecTest, LoadsUnderBothExtensions) {
  qvtest::TempDir dir;
  Bitmap24 src = qvtest::MakeTestPicture(8, 6);
  std::string bytes = RgbPsd(src, false).Bytes();
  for (const char* name : {"a.psd", "b.PDD"}) {
    qvtest::WriteBytes(dir.File(name), bytes);
    EXPECT_TRUE(LoadPicture24(dir.File(name)) == src) << name;
  }
}

TEST(PsdCodecTest, DamagedFilesRaisePictureError) {
  Psd p = RgbPsd(Stripes(40, 6), false);
  p.rle = true;
  std::string good = p.Bytes();
  for (size_t n = 0; n < good.size(); ++n) EXPECT_THROW(Decode(good.substr(0, n)), EPictureError) << n;
  const size_t compressionAt = 26 + 4 + 10 + 8;  // after header, colour data, resources, layers
  std::string zip = good;
  zip[compressionAt + 1] = 2;
  EXPECT_THROW(Decode(zip), EPictureError);
  std::string notPsd = good;
  notPsd[0] = 'X';
  EXPECT_THROW(Decode(notPsd), EPictureError);
  // PackBits rows that run past their data or past the row.
  for (const std::string& rowData :
       {std::string("\x00\x03\x05\x01\x02", 5), std::string("\x00\x07\x05\x01\x02\x03\x04\x05\x06", 9),
        std::string("\x00\x02\xF0\x01", 4)}) {
    Psd over;
    over.width = 2;
    over.height = 1;
    over.mode = 1;
    over.planes = {rowData};
    std::string bytes = over.Bytes();
    bytes[compressionAt + 1] = 1;
    EXPECT_THROW(Decode(bytes), EPictureError);
  }
  // A header claiming a picture far too large.
  Psd huge = p;
  std::string h = huge.Bytes();
  h[14] = h[18] = char(0x7F);
  EXPECT_THROW(Decode(h), EPictureError);
}

}  // namespace
