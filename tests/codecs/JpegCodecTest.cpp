// JPEG decoding and encoding through libjpeg-turbo.
#include <gtest/gtest.h>

#include <jpeglib.h>

#include <algorithm>
#include <csetjmp>
#include <cstdlib>
#include <functional>
#include <string>

#include "CodecTestUtil.h"
#include "base/Errors.h"
#include "codecs/JpegCodec.h"
#include "support/TestFiles.h"

using namespace qv;

namespace {

Bitmap24 Decode(const std::string& bytes, int scale = 0, int* used = nullptr) {
  return DecodeJpegMemory(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), scale, used);
}

// Encodes a w x h JPEG with libjpeg directly: configure sets the compression up after the
// defaults, row(y) gives the samples of row y.
std::string EncodeWithLibjpeg(int w, int h, int components, J_COLOR_SPACE space,
                              const std::function<void(jpeg_compress_struct&)>& configure,
                              const std::function<const uint8_t*(int)>& row) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr err;
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_compress(&cinfo);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &out, &size);
  cinfo.image_width = JDIMENSION(w);
  cinfo.image_height = JDIMENSION(h);
  cinfo.input_components = components;
  cinfo.in_color_space = space;
  jpeg_set_defaults(&cinfo);
  configure(cinfo);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW rp = const_cast<JSAMPROW>(row(int(cinfo.next_scanline)));
    jpeg_write_scanlines(&cinfo, &rp, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::string bytes(reinterpret_cast<char*>(out), size);
  std::free(out);
  return bytes;
}

// Encodes one CMYK colour (ink amounts 0..255) as a w x h JPEG, the way Adobe writes it
// (inverted samples and an Adobe marker), optionally transformed to YCCK.
std::string EncodeAdobeCmyk(int w, int h, const uint8_t ink[4], bool ycck) {
  std::string row;
  for (int x = 0; x < w; ++x)
    for (int c = 0; c < 4; ++c) row += char(255 - ink[c]);
  return EncodeWithLibjpeg(
      w, h, 4, JCS_CMYK,
      [ycck](jpeg_compress_struct& cinfo) {
        jpeg_set_colorspace(&cinfo, ycck ? JCS_YCCK : JCS_CMYK);
        cinfo.write_Adobe_marker = TRUE;
        jpeg_set_quality(&cinfo, 95, TRUE);
      },
      [&row](int) { return reinterpret_cast<const uint8_t*>(row.data()); });
}

std::string EncodeProgressive(const Bitmap24& bmp) {
  return EncodeWithLibjpeg(
      bmp.Width(), bmp.Height(), 3, JCS_EXT_BGR, [](jpeg_compress_struct& cinfo) { jpeg_simple_progression(&cinfo); },
      [&bmp](int y) { return bmp.Row(y); });
}

TEST(JpegCodecTest, DecodesAtEveryScaleWithRoundedUpSizes) {
  std::string bytes = EncodeJpeg(qvtest::MakeSmoothPicture(101, 37), 90);
  const int expectW[4] = {101, 51, 26, 13}, expectH[4] = {37, 19, 10, 5};
  for (int scale = 0; scale <= 3; ++scale) {
    int used = -1;
    Bitmap24 bmp = Decode(bytes, scale, &used);
    EXPECT_EQ(bmp.Width(), expectW[scale]) << scale;
    EXPECT_EQ(bmp.Height(), expectH[scale]) << scale;
    EXPECT_EQ(used, scale);
  }
  int used = -1;
  EXPECT_EQ(Decode(bytes, 9, &used).Width(), 13);  // out of range: the nearest scale
  EXPECT_EQ(used, 3);
  EXPECT_EQ(Decode(bytes, -1, &used).Width(), 101);
  EXPECT_EQ(used, 0);
}

TEST(JpegCodecTest, ReducedDecodeMatchesTheAverageColour) {
  // A uniform block decodes to the same colour at 1/8 as at full size.
  Bitmap24 flat;
  flat.SetSize(64, 64, 30, 140, 220);
  Bitmap24 small = Decode(EncodeJpeg(flat, 95), 3);
  ASSERT_EQ(small.Width(), 8);
  for (int c = 0; c < 3; ++c) EXPECT_NEAR(small.Pixel(4, 4)[c], flat.Pixel(0, 0)[c], 3);
}

TEST(JpegCodecTest, EncodeDecodeRoundTripIsClose) {
  Bitmap24 src = qvtest::MakeSmoothPicture(64, 48);
  std::string bytes = EncodeJpeg(src, 95);
  ASSERT_GT(bytes.size(), 100u);
  EXPECT_EQ(bytes.substr(0, 4), std::string("\xFF\xD8\xFF\xE0", 4));     // JFIF first
  EXPECT_EQ(bytes.find(std::string("\xFF\xC2", 2)), std::string::npos);  // not progressive
  Bitmap24 back = Decode(bytes);
  EXPECT_LE(qvtest::MaxDifference(src, back), 8);
  EXPECT_TRUE(Decode(bytes) == back);  // deterministic
  // Lower quality is smaller and still recognisable.
  std::string low = EncodeJpeg(src, 10);
  EXPECT_LT(low.size(), bytes.size());
  EXPECT_LE(qvtest::MaxDifference(src, Decode(low)), 60);
}

TEST(JpegCodecTest, SaveJpegFileWritesTheEncodedBytes) {
  qvtest::TempDir dir;
  Bitmap24 src = qvtest::MakeSmoothPicture(20, 10);
  SaveJpegFile(dir.File("a.jpg"), src, 80);
  EXPECT_EQ(qvtest::ReadBytes(dir.File("a.jpg")), EncodeJpeg(src, 80));
  EXPECT_EQ(DecodeJpegFile(dir.File("a.jpg")).Width(), 20);
  EXPECT_THROW(SaveJpegFile(dir.File("no/such/dir/a.jpg"), src, 80), EStreamError);
  EXPECT_THROW(EncodeJpeg(Bitmap24(), 80), EPictureError);
}

TEST(JpegCodecTest, GreyPicturesComeOutAsColour) {
  qvtest::TempDir dir;
  qvtest::WriteWithMagick(qvtest::MakeSmoothPicture(32, 16), dir.File("g.jpg"), "JPEG",
                          [](Magick::Image& i) { i.type(Magick::GrayscaleType); });
  Bitmap24 bmp = DecodeJpegFile(dir.File("g.jpg"), 1);
  ASSERT_EQ(bmp.Width(), 16);
  for (int x = 0; x < 16; ++x) {
    const uint8_t* p = bmp.Pixel(x, 3);
    EXPECT_EQ(p[0], p[1]);
    EXPECT_EQ(p[1], p[2]);
  }
}

TEST(JpegCodecTest, AdobeCmykAndYcckPicturesComeOutAsColour) {
  const uint8_t red[4] = {0, 255, 255, 0};         // magenta + yellow inks
  const uint8_t darkBlue[4] = {255, 128, 0, 128};  // cyan, some magenta, half black
  for (bool ycck : {false, true}) {
    Bitmap24 a = Decode(EncodeAdobeCmyk(16, 16, red, ycck));
    EXPECT_NEAR(a.Pixel(5, 5)[2], 255, 3) << ycck;
    EXPECT_NEAR(a.Pixel(5, 5)[1], 0, 3) << ycck;
    EXPECT_NEAR(a.Pixel(5, 5)[0], 0, 3) << ycck;
    Bitmap24 b = Decode(EncodeAdobeCmyk(16, 16, darkBlue, ycck), 2);
    ASSERT_EQ(b.Width(), 4);
    EXPECT_NEAR(b.Pixel(1, 1)[2], 0, 3);    // red: no cyan left
    EXPECT_NEAR(b.Pixel(1, 1)[1], 64, 4);   // green: (255-128) * (255-128) / 255
    EXPECT_NEAR(b.Pixel(1, 1)[0], 127, 4);  // blue: 255 * 127 / 255
  }
}

TEST(JpegCodecTest, ProgressivePicturesDecodeAtReducedScale) {
  std::string bytes = EncodeProgressive(qvtest::MakeSmoothPicture(80, 40));
  ASSERT_NE(bytes.find(std::string("\xFF\xC2", 2)), std::string::npos);
  int used = -1;
  Bitmap24 bmp = Decode(bytes, 3, &used);
  EXPECT_EQ(bmp.Width(), 10);
  EXPECT_EQ(bmp.Height(), 5);
  EXPECT_EQ(used, 3);
}

// The size the header gives is the size the decoder delivers, for every frame kind; bytes
// without a readable header give 0 x 0.
TEST(JpegCodecTest, MemorySizeIsTheDecodedSize) {
  auto sizeOf = [](const std::string& b) {
    const JpegSize s = JpegMemorySize(reinterpret_cast<const uint8_t*>(b.data()), b.size());
    return std::make_pair(int(s.Width), int(s.Height));
  };
  const std::string baseline = EncodeJpeg(qvtest::MakeTestPicture(137, 121), 90);
  const std::string progressive = EncodeProgressive(qvtest::MakeSmoothPicture(80, 41));
  for (const std::string& b : {baseline, progressive, baseline.substr(0, baseline.size() / 2)}) {
    const Bitmap24 decoded = Decode(b);
    EXPECT_EQ(sizeOf(b), std::make_pair(decoded.Width(), decoded.Height()));
  }
  EXPECT_EQ(sizeOf(progressive), std::make_pair(80, 41));
  for (const std::string& b : {std::string(), std::string("not a JPEG file"), baseline.substr(0, 30)})
    EXPECT_EQ(sizeOf(b), std::make_pair(0, 0));
}

TEST(JpegCodecTest, DamagedDataRaisesPictureErrorOrGivesTheWholePicture) {
  EXPECT_THROW(Decode(""), EPictureError);
  EXPECT_THROW(Decode("this is not a JPEG file at all"), EPictureError);
  EXPECT_THROW(Decode(std::string("\xFF\xD8\xFF\xC0\x00\x11\x08", 7)), EPictureError);
  EXPECT_THROW(DecodeJpegFile("/nonexistent/q.jpg"), EPictureError);

  Bitmap24 src = qvtest::MakeTestPicture(120, 90);
  std::string bytes = EncodeJpeg(src, 85);
  // A file cut short still gives the whole picture size (libjpeg fills the rest in grey).
  Bitmap24 cut = Decode(bytes.substr(0, bytes.size() * 6 / 10));
  EXPECT_EQ(cut.Width(), 120);
  EXPECT_EQ(cut.Height(), 90);
  // The picture size at a decoding scale (1, 1/2, 1/4, 1/8), rounded up as libjpeg does.
  auto scaled = [](int size, int scale) { return (size + (1 << scale) - 1) >> scale; };
  // Every shorter cut either raises EPictureError with a message, or gives the whole picture
  // at the scale asked for. A cut inside the headers fails; one inside the scan decodes.
  int decoded = 0, refused = 0;
  for (size_t n = 0; n < bytes.size(); n += 37) {
    const int scale = int(n % 4);
    try {
      const Bitmap24 pic = Decode(bytes.substr(0, n), scale);
      ++decoded;
      EXPECT_EQ(pic.Width(), scaled(120, scale)) << "cut at " << n;
      EXPECT_EQ(pic.Height(), scaled(90, scale)) << "cut at " << n;
    } catch (const EPictureError& e) {
      ++refused;
      EXPECT_STRNE(e.what(), "") << "cut at " << n;
    }
  }
  EXPECT_GT(decoded, 0);
  EXPECT_GT(refused, 0);
  // Scrambled bytes, headers included. What still decodes is a picture: of the header's size
  // when the damage lies behind the headers, of some size above zero otherwise.
  const size_t scanStart = bytes.find("\xFF\xDA");
  ASSERT_NE(scanStart, std::string::npos);
  std::srand(7);
  decoded = refused = 0;
  for (int round = 0; round < 200; ++round) {
    std::string bad = bytes;
    size_t first = bad.size();
    for (int k = 0; k < 8; ++k) {
      const size_t at = size_t(std::rand()) % bad.size();
      bad[at] = char(std::rand());
      first = std::min(first, at);
    }
    const int scale = round % 4;
    try {
      const Bitmap24 pic = Decode(bad, scale);
      ++decoded;
      ASSERT_FALSE(pic.Empty()) << "round " << round;
      if (first > scanStart + 1) {
        EXPECT_EQ(pic.Width(), scaled(120, scale)) << "round " << round;
        EXPECT_EQ(pic.Height(), scaled(90, scale)) << "round " << round;
      }
    } catch (const EPictureError& e) {
      ++refused;
      EXPECT_STRNE(e.what(), "") << "round " << round;
    }
  }
  EXPECT_GT(decoded, 0);
  EXPECT_GT(refused, 0);
}

}  // namespace
