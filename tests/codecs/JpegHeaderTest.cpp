// ReadJpegSize, ChooseJpegScale and SetJpegDpi on hand-built byte sequences.
#include <gtest/gtest.h>

#include <jpeglib.h>

#include <csetjmp>
#include <string>

#include "CodecTestUtil.h"
#include "base/Errors.h"
#include "codecs/JpegCodec.h"
#include "support/TestFiles.h"

using namespace qv;
using qvtest::AppendBE16;

namespace {

// A start-of-frame segment (marker C0..C2) for a w x h three-component picture.
std::string Sof(int marker, int w, int h) {
  std::string s = "\xFF";
  s += char(marker);
  AppendBE16(s, 17);
  s += char(8);
  AppendBE16(s, unsigned(h));
  AppendBE16(s, unsigned(w));
  s += std::string("\x03\x01\x22\x00\x02\x11\x01\x03\x11\x01", 10);
  return s;
}

std::string Segment(int marker, const std::string& payload) {
  std::string s = "\xFF";
  s += char(marker);
  AppendBE16(s, unsigned(payload.size() + 2));
  return s + payload;
}

const std::string kSoi("\xFF\xD8", 2);

class JpegHeaderTest : public ::testing::Test {
 protected:
  qvtest::TempDir dir;
  JpegSize SizeOf(const std::string& bytes) {
    std::string path = dir.File("t.jpg");
    qvtest::WriteBytes(path, bytes);
    return ReadJpegSize(path);
  }
  std::string HeaderFile(int w, int h) {
    std::string path = dir.File("h.jpg");
    qvtest::WriteBytes(path, kSoi + Sof(0xC0, w, h));
    return path;
  }
};

TEST_F(JpegHeaderTest, FindsBaselineAndExtendedFrames) {
  JpegSize s = SizeOf(kSoi + Segment(0xE0, "JFIF\0abcdefghi") + Sof(0xC0, 640, 480));
  EXPECT_EQ(s.Width, 640);
  EXPECT_EQ(s.Height, 480);
  s = SizeOf(kSoi + Sof(0xC1, 65535, 3));
  EXPECT_EQ(s.Width, 65535);
  EXPECT_EQ(s.Height, 3);
}

TEST_F(JpegHeaderTest, SkipsFillBytesAndMarkersWithoutSegment) {
  std::string bytes = kSoi + std::string("\xFF\xFF\xFF", 3) + Segment(0xE1, std::string(300, '\xC0')) +
                      std::string("\xFF\x01\xFF\xD3\xFF\xFF\xD7", 7) + Sof(0xC0, 12, 34);
  JpegSize s = SizeOf(bytes);
  EXPECT_EQ(s.Width, 12);
  EXPECT_EQ(s.Height, 34);
}

TEST_F(JpegHeaderTest, ProgressiveFrameFirstReportsNothing) {
  std::string sos = Segment(0xDA, std::string("\x03\x01\x00\x02\x11\x03\x11\x00\x3F\x00", 10));
  JpegSize s = SizeOf(kSoi + Sof(0xC2, 800, 600) + sos + std::string("\x12\x34\x56", 3) + Sof(0xC0, 1, 1));
  EXPECT_EQ(s.Width, 0);
  EXPECT_EQ(s.Height, 0);
}

TEST_F(JpegHeaderTest, NonJpegDamagedAndTruncatedFilesReportNothing) {
  EXPECT_EQ(SizeOf("GIF89a").Width, 0);
  EXPECT_EQ(SizeOf("").Width, 0);
  // A segment length below 2 would step backwards into the length bytes.
  EXPECT_EQ(SizeOf(kSoi + std::string("\xFF\xE0\x00\x01", 4) + Sof(0xC0, 5, 5)).Width, 0);
  // Every cut of a valid header short of the width gives 0 x 0, never a partial value.
  std::string full = kSoi + Segment(0xE0, "JFIF\0abc") + Sof(0xC0, 300, 200);
  size_t widthEnd = full.size() - 10;  // the component table follows the width
  for (size_t n = 0; n < full.size(); ++n) {
    JpegSize s = SizeOf(full.substr(0, n));
    if (n < widthEnd) {
      EXPECT_EQ(s.Width, 0) << n;
      EXPECT_EQ(s.Height, 0) << n;
    } else {
      EXPECT_EQ(s.Width, 300) << n;
    }
  }
}

TEST_F(JpegHeaderTest, MissingFileRaisesStreamError) {
  EXPECT_THROW(ReadJpegSize(dir.File("none.jpg")), EStreamError);
  EXPECT_THROW(ChooseJpegScale(dir.File("none.jpg"), 10, 10), EStreamError);
}

TEST_F(JpegHeaderTest, ChooseJpegScaleWorkedNumbers) {
  JpegScaleChoice c = ChooseJpegScale(HeaderFile(4000, 3000), 1000, 750);
  EXPECT_EQ(c.Scale, 2);  // q = 4: quarter
  EXPECT_EQ(c.JpegWidth, 4000);
  EXPECT_EQ(c.JpegHeight, 3000);
  EXPECT_EQ(ChooseJpegScale(HeaderFile(4000, 3000), 2001, 1).Scale, 0);  // q = 1
  EXPECT_EQ(ChooseJpegScale(HeaderFile(4000, 3000), 2000, 1).Scale, 1);  // q = 2
  EXPECT_EQ(ChooseJpegScale(HeaderFile(4000, 3000), 1001, 1).Scale, 1);  // q = 3
  EXPECT_EQ(ChooseJpegScale(HeaderFile(4000, 3000), 571, 1).Scale, 2);   // q = 7
  EXPECT_EQ(ChooseJpegScale(HeaderFile(4000, 3000), 500, 1).Scale, 3);   // q = 8
  // Portrait: the height decides and the wanted width is not looked at.
  EXPECT_EQ(ChooseJpegScale(HeaderFile(3000, 4000), 0, 500).Scale, 3);
  EXPECT_EQ(ChooseJpegScale(HeaderFile(3000, 4000), 1, 4000).Scale, 0);
  // Square: decided by the height too.
  EXPECT_EQ(ChooseJpegScale(HeaderFile(1000, 1000), 100, 1000).Scale, 0);
  EXPECT_EQ(ChooseJpegScale(HeaderFile(1000, 1000), 1000, 250).Scale, 2);
}

TEST_F(JpegHeaderTest, ChooseJpegScaleWithoutSizeOrWantedSize) {
  std::string path = dir.File("x.jpg");
  qvtest::WriteBytes(path, "not a jpeg");
  JpegScaleChoice c = ChooseJpegScale(path, 10, 10);
  EXPECT_EQ(c.Scale, 0);
  EXPECT_EQ(c.JpegWidth, 0);
  EXPECT_EQ(c.JpegHeight, 0);
  // A wanted size of 0 on the deciding side means full size instead of a division by zero.
  c = ChooseJpegScale(HeaderFile(4000, 3000), 0, 100);
  EXPECT_EQ(c.Scale, 0);
  EXPECT_EQ(c.JpegWidth, 4000);
  EXPECT_EQ(ChooseJpegScale(HeaderFile(300, 4000), 100, 0).Scale, 0);
}

struct DensityReader {
  jpeg_error_mgr err;
  std::jmp_buf jump;
};

void ErrorJump(j_common_ptr c) { std::longjmp(reinterpret_cast<DensityReader*>(c->err)->jump, 1); }

// Parses the header with libjpeg itself; false when libjpeg rejects it.
bool ReadDensity(const std::string& bytes, int& unit, int& x, int& y) {
  jpeg_decompress_struct cinfo;
  DensityReader r;
  cinfo.err = jpeg_std_error(&r.err);
  r.err.error_exit = ErrorJump;
  jpeg_create_decompress(&cinfo);
  if (setjmp(r.jump)) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
  jpeg_read_header(&cinfo, TRUE);
  unit = cinfo.density_unit;
  x = cinfo.X_density;
  y = cinfo.Y_density;
  jpeg_destroy_decompress(&cinfo);
  return true;
}

TEST_F(JpegHeaderTest, SetJpegDpiStampsTheJfifDensity) {
  std::string path = dir.File("dpi.jpg");
  SaveJpegFile(path, qvtest::MakeSmoothPicture(40, 30), 90);
  int unit = -1, x = -1, y = -1;
  ASSERT_TRUE(ReadDensity(qvtest::ReadBytes(path), unit, x, y));
  EXPECT_EQ(unit, 0);  // the encoder's default: aspect ratio only, 1:1
  EXPECT_EQ(x, 1);
  EXPECT_EQ(y, 1);

  std::string before = qvtest::ReadBytes(path);
  SetJpegDpi(path, 300, 7200);
  std::string after = qvtest::ReadBytes(path);
  ASSERT_EQ(after.size(), before.size());
  size_t j = before.find(std::string("JFIF\0", 5));
  ASSERT_NE(j, std::string::npos);
  EXPECT_EQ(after.substr(j + 7, 5), std::string("\x01\x01\x2C\x1C\x20", 5));
  EXPECT_EQ(after.substr(0, j + 7), before.substr(0, j + 7));
  EXPECT_EQ(after.substr(j + 12), before.substr(j + 12));

  ASSERT_TRUE(ReadDensity(after, unit, x, y));
  EXPECT_EQ(unit, 1);
  EXPECT_EQ(x, 300);
  EXPECT_EQ(y, 7200);
  EXPECT_EQ(DecodeJpegFile(path).Width(), 40);
}

TEST_F(JpegHeaderTest, SetJpegDpiLeavesFilesWithoutJfifAlone) {
  std::string exif = kSoi + Segment(0xE1, std::string("Exif\0\0", 6) + std::string(60, 'x'));
  std::string path = dir.File("exif.jpg");
  qvtest::WriteBytes(path, exif);
  SetJpegDpi(path, 300, 300);
  EXPECT_EQ(qvtest::ReadBytes(path), exif);
  // "JFIF\0" beyond the first 50 bytes is not looked for.
  std::string late = std::string(46, 'x') + std::string("JFIF\0", 5) + std::string(20, 'y');
  qvtest::WriteBytes(path, late);
  SetJpegDpi(path, 300, 300);
  EXPECT_EQ(qvtest::ReadBytes(path), late);
  // A file that ends inside the density fields is not made longer.
  std::string shortFile = std::string("\xFF\xD8\xFF\xE0\x00\x10JFIF\0\x01", 12);
  qvtest::WriteBytes(path, shortFile);
  SetJpegDpi(path, 300, 300);
  EXPECT_EQ(qvtest::ReadBytes(path), shortFile);
  EXPECT_THROW(SetJpegDpi(dir.File("none.jpg"), 1, 1), EStreamError);
}

}  // namespace
