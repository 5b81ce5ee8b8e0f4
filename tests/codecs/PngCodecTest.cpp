// PNG decoding: bit depths, colour types, transparency over white, interlacing, damage.
#include <gtest/gtest.h>

#include <png.h>
#include <zlib.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "CodecTestUtil.h"
#include "base/Errors.h"
#include "codecs/CodecSupport.h"
#include "codecs/PngCodec.h"

using namespace qv;

namespace {

struct PngSpec {
  int width = 0, height = 0;
  int colorType = PNG_COLOR_TYPE_RGB;
  int depth = 8;
  bool interlace = false;
  std::vector<uint8_t> samples;  // rows packed as libpng expects them (16-bit big-endian)
  std::vector<png_color> palette;
  std::vector<uint8_t> trnsAlpha;  // palette transparency
  bool trnsColor = false;          // one transparent colour for grey/RGB pictures
  png_color_16 trns{};
};

void AppendToString(png_structp png, png_bytep data, size_t n) {
  static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<char*>(data), n);
}

std::string WritePng(const PngSpec& s) {
  std::string out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_set_write_fn(png, &out, AppendToString, nullptr);
  png_set_IHDR(png, info, png_uint_32(s.width), png_uint_32(s.height), s.depth, s.colorType,
               s.interlace ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  if (!s.palette.empty()) png_set_PLTE(png, info, s.palette.data(), int(s.palette.size()));
  if (!s.trnsAlpha.empty()) png_set_tRNS(png, info, s.trnsAlpha.data(), int(s.trnsAlpha.size()), nullptr);
  if (s.trnsColor) png_set_tRNS(png, info, nullptr, 0, const_cast<png_color_16*>(&s.trns));
  png_write_info(png, info);
  size_t rowBytes = s.samples.size() / size_t(s.height);
  std::vector<png_bytep> rows;
  for (int y = 0; y < s.height; ++y) rows.push_back(const_cast<uint8_t*>(s.samples.data()) + rowBytes * size_t(y));
  png_write_image(png, rows.data());
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return out;
}

Bitmap24 Decode(const std::string& bytes) {
  return DecodePngMemory(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

void ExpectPixel(const Bitmap24& bmp, int x, int y, int r, int g, int b) {
  const uint8_t* p = bmp.Pixel(x, y);
  EXPECT_EQ(p[2], r) << x << "," << y;
  EXPECT_EQ(p[1], g) << x << "," << y;
  EXPECT_EQ(p[0], b) << x << "," << y;
}

PngSpec Rgb8(const Bitmap24& src) {
  PngSpec s;
  s.width = src.Width();
  s.height = src.Height();
  for (int y = 0; y < s.height; ++y)
    for (int x = 0; x < s.width; ++x)
      for (int c = 2; c >= 0; --c) s.samples.push_back(src.Pixel(x, y)[c]);
  return s;
}

TEST(PngCodecTest, RgbAt8And16BitsPlainAndInterlaced) {
  Bitmap24 src = qvtest::MakeTestPicture(19, 13);
  PngSpec s = Rgb8(src);
  EXPECT_TRUE(Decode(WritePng(s)) == src);
  s.interlace = true;
  EXPECT_TRUE(Decode(WritePng(s)) == src);

  PngSpec wide;
  wide.width = 3;
  wide.height = 1;
  wide.depth = 16;
  // 8-bit values widened exactly, then values that need rounding.
  for (unsigned v : {0x0000u, 0xFFFFu, 0x1212u, 0x80FFu, 0x8100u, 0x0080u, 0x7F7Fu, 0x0001u, 0xFF00u}) {
    wide.samples.push_back(uint8_t(v >> 8));
    wide.samples.push_back(uint8_t(v));
  }
  Bitmap24 w = Decode(WritePng(wide));
  ExpectPixel(w, 0, 0, 0, 255, 0x12);
  ExpectPixel(w, 1, 0, Scale16To8(0x80FF), Scale16To8(0x8100), Scale16To8(0x0080));
  ExpectPixel(w, 2, 0, 0x7F, 0, 0xFE);
}

TEST(PngCodecTest, GreyDepthsBecomeEqualChannels) {
  PngSpec g;
  g.width = 8;
  g.height = 1;
  g.colorType = PNG_COLOR_TYPE_GRAY;
  g.depth = 1;
  g.samples = {0xA5};  // 1010 0101
  Bitmap24 b = Decode(WritePng(g));
  ExpectPixel(b, 0, 0, 255, 255, 255);
  ExpectPixel(b, 1, 0, 0, 0, 0);
  ExpectPixel(b, 7, 0, 255, 255, 255);
  g.depth = 4;
  g.width = 2;
  g.samples = {0x3C};
  b = Decode(WritePng(g));
  ExpectPixel(b, 0, 0, 0x33, 0x33, 0x33);
  ExpectPixel(b, 1, 0, 0xCC, 0xCC, 0xCC);
}

TEST(PngCodecTest, TransparencyIsPutOverWhite) {
  // Palette with tRNS: clear, opaque, half covered.
  PngSpec p;
  p.width = 3;
  p.height = 1;
  p.colorType = PNG_COLOR_TYPE_PALETTE;
  p.palette = {{10, 20, 30}, {200, 100, 50}, {0, 0, 0}};
  p.trnsAlpha = {0, 255, 128};
  p.samples = {0, 1, 2};
  Bitmap24 b = Decode(WritePng(p));
  ExpectPixel(b, 0, 0, 255, 255, 255);
  ExpectPixel(b, 1, 0, 200, 100, 50);
  const int half = OverWhite(0, 128);
  EXPECT_EQ(half, 127);
  ExpectPixel(b, 2, 0, half, half, half);

  // Grey with alpha, and RGBA at 16 bits, interlaced.
  PngSpec ga;
  ga.width = 2;
  ga.height = 1;
  ga.colorType = PNG_COLOR_TYPE_GRAY_ALPHA;
  ga.samples = {0, 128, 90, 255};
  b = Decode(WritePng(ga));
  ExpectPixel(b, 0, 0, half, half, half);
  ExpectPixel(b, 1, 0, 90, 90, 90);

  PngSpec rgba;
  rgba.width = 2;
  rgba.height = 2;
  rgba.colorType = PNG_COLOR_TYPE_RGBA;
  rgba.depth = 16;
  rgba.interlace = true;
  for (int i = 0; i < 4; ++i) {
    const unsigned px[4] = {0xFFFF, 0x0000, 0x0000, i == 3 ? 0xFFFFu : 0x0000u};
    for (unsigned v : px) {
      rgba.samples.push_back(uint8_t(v >> 8));
      rgba.samples.push_back(uint8_t(v));
    }
  }
  b = Decode(WritePng(rgba));
  ExpectPixel(b, 0, 0, 255, 255, 255);
  ExpectPixel(b, 1, 1, 255, 0, 0);

  // One transparent colour in an RGB picture.
  PngSpec key = Rgb8(qvtest::MakeTestPicture(4, 1));
  key.trnsColor = true;
  key.trns.red = key.samples[3];
  key.trns.green = key.samples[4];
  key.trns.blue = key.samples[5];
  b = Decode(WritePng(key));
  ExpectPixel(b, 1, 0, 255, 255, 255);
  ExpectPixel(b, 0, 0, key.samples[0], key.samples[1], key.samples[2]);
}

TEST(PngCodecTest, DamagedDataRaisesPictureError) {
  EXPECT_THROW(Decode(""), EPictureError);
  EXPECT_THROW(Decode("\x89PNG\r\n\x1A\n"), EPictureError);
  EXPECT_THROW(Decode("GIF89a and more bytes"), EPictureError);
  EXPECT_THROW(DecodePngFile("/nonexistent/a.png"), EPictureError);
  std::string good = WritePng(Rgb8(qvtest::MakeTestPicture(40, 30)));
  // A broken checksum in the picture data.
  std::string bad = good;
  size_t idat = bad.find("IDAT");
  ASSERT_NE(idat, std::string::npos);
  bad[idat + 10] = char(bad[idat + 10] ^ 0x55);
  EXPECT_THROW(Decode(bad), EPictureError);
  // A cut inside the header or the picture data fails; one in the trailing chunk loses nothing.
  const size_t iend = good.size() - 12;
  for (size_t n = 0; n < good.size(); n += 3) {
    if (n < iend - 20) {
      EXPECT_THROW(Decode(good.substr(0, n)), EPictureError) << n;
    } else {
      try {
        EXPECT_EQ(Decode(good.substr(0, n)).Width(), 40);
      } catch (const EPictureError&) {
      }
    }
  }
  std::srand(11);
  for (int round = 0; round < 300; ++round) {
    std::string s = good;
    for (int k = 0; k < 4; ++k) s[8 + size_t(std::rand()) % (s.size() - 8)] = char(std::rand());
    try {
      Decode(s);
    } catch (const EPictureError&) {
    }
  }
}

TEST(PngCodecTest, HeaderClaimingAHugePictureIsRefusedBeforeAllocating) {
  PngSpec s = Rgb8(qvtest::MakeTestPicture(2, 2));
  std::string bytes = WritePng(s);
  // Width and height 100000 x 100000 in IHDR, with a fixed checksum.
  for (int i = 0; i < 2; ++i) {
    bytes[16 + 4 * i] = 0;
    bytes[17 + 4 * i] = 0x01;
    bytes[18 + 4 * i] = char(0x86);
    bytes[19 + 4 * i] = char(0xA0);
  }
  uint32_t crc = uint32_t(crc32(0, reinterpret_cast<const Bytef*>(bytes.data() + 12), 17));
  for (int i = 0; i < 4; ++i) bytes[29 + i] = char(crc >> (24 - 8 * i));
  EXPECT_THROW(Decode(bytes), EPictureError);
}

}  // namespace
