#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <regex>
#include <set>

#include "base/ByteIO.h"
#include "base/Errors.h"
#include "base/FileUtil.h"
#include "codecs/BmpCodec.h"
#include "codecs/JpegCodec.h"
#include "codecs/PictureLoader.h"
#include "imaging/TiffWriter.h"
#include "output/DirectWriter.h"
#include "output/PosterWriter.h"
#include "output/RenderTestSupport.h"
#include "output/SequenceExport.h"
#include "support/TestPictures.h"

namespace {

using namespace qv;
using qvtest::TestMosaic;

const ColorRef kBorder = MakeColorRef(10, 200, 30);

// Pixel (x, y) of a BMP file as (B, G, R) bytes.
const uint8_t* BmpPixel(const std::string& bytes, int x, int y) {
  const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
  const int w = int(GetLE32(p + 18)), h = int(GetLE32(p + 22));
  return p + 54 + BmpRowSize(w) * (h - 1 - y) + 3 * x;
}
// Pixel (x, y) of one of our TIFF files as (R, G, B) bytes.
const uint8_t* TiffPixel(const std::string& bytes, int w, int x, int y) {
  return reinterpret_cast<const uint8_t*>(bytes.data()) + 32 + 3 * (int64_t(y) * w + x);
}

RenderSettings Bordered() {
  RenderSettings st;
  st.OutputWidth = 1000;
  st.OutputHeight = 800;
  st.BorderLeft = 10;
  st.BorderTop = 20;
  st.BorderRight = 30;
  st.BorderBottom = 40;
  st.BorderColor = kBorder;
  st.Sharpen = true;
  st.CorrectionPercent = 30;
  st.BlendAlpha = 51;
  return st;
}

TEST(PosterWriter, BordersAroundTheMosaicHaveTheBorderColour) {
  TestMosaic m(4, 3, qvtest::ColouredCells(12));
  const RenderSettings st = Bordered();
  std::vector<std::string> status;
  RenderCallbacks cb;
  cb.OnStatus = [&](const std::string& s) { status.push_back(s); };
  const std::string file = m.Dir.File("poster.BMP");
  WriteOutcome out = SavePoster(file, m.Source(), st, WholeGrid(4, 3), cb);
  EXPECT_EQ(out.Message, "Saved to file " + file);
  EXPECT_EQ(status, (std::vector<std::string>{"Saving...", "Saved to file " + file}));
  const std::string bytes = ReadWholeFile(file);
  const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
  ASSERT_EQ(GetLE32(p + 18), 1040u);
  ASSERT_EQ(GetLE32(p + 22), 860u);
  ASSERT_EQ(int64_t(bytes.size()), BmpFileSize(1040, 860));
  for (int y = 0; y < 860; ++y)
    for (int x = 0; x < 1040; ++x) {
      const bool border = x < 10 || x >= 1010 || y < 20 || y >= 820;
      if (!border) continue;
      const uint8_t* q = BmpPixel(bytes, x, y);
      ASSERT_TRUE(q[0] == 30 && q[1] == 200 && q[2] == 10) << x << "," << y;
    }
}

TEST(DirectWriter, WritesTheSamePixelsAsThePosterAndFullLengthFiles) {
  TestMosaic m(4, 3, qvtest::ColouredCells(12));
  const RenderSettings st = Bordered();
  for (const char* ext : {".tif", ".bmp"}) {
    const std::string poster = m.Dir.File(std::string("poster") + ext),
                      direct = m.Dir.File(std::string("direct") + ext);
    SavePoster(poster, m.Source(), st, WholeGrid(4, 3), {});
    const DiskFormat format = std::string(ext) == ".tif" ? DiskFormat::Tiff : DiskFormat::Bmp;
    WriteOutcome out = SaveTiff(direct, format, m.Source(), st, WholeGrid(4, 3), {});
    EXPECT_EQ(out.Message, "Saved to " + direct);
    EXPECT_EQ(ReadWholeFile(poster), ReadWholeFile(direct)) << ext;
  }
  const std::string tif = ReadWholeFile(m.Dir.File("direct.tif"));
  EXPECT_EQ(int64_t(tif.size()), TiffFileSize(1040, 860));
  const auto* p = reinterpret_cast<const uint8_t*>(tif.data());
  EXPECT_EQ(std::string(tif.data(), 4), std::string("II*\0", 4));
  EXPECT_EQ(GetLE32(p + 4), 32u + 3u * 1040u * 860u);
  const uint8_t* dir = p + GetLE32(p + 4);
  EXPECT_EQ(GetLE16(dir), 15);
  EXPECT_EQ(GetLE16(dir + 2), 256);
  EXPECT_EQ(GetLE32(dir + 2 + 8), 1040u);
  EXPECT_EQ(GetLE32(dir + 14 + 8), 860u);
  EXPECT_EQ(GetLE32(dir + 186 + 6), 150u);  // XResolution numerator
  const uint8_t* px = TiffPixel(tif, 1040, 0, 0);
  EXPECT_TRUE(px[0] == 10 && px[1] == 200 && px[2] == 30);  // red, green, blue
}

TEST(DirectWriter, BmpRowsArePaddedAndTheHeaderIsExact) {
  qvtest::TempDir dir;
  std::FILE* f = std::fopen(dir.File("x.bmp").c_str(), "w+b");
  ASSERT_TRUE(WriteBmpHeader(f, 1001, 3));
  Bitmap24 red;
  red.SetSize(1001, 1, 0, 0, 255);
  WriteFileBlock(f, DiskFormat::Bmp, 1001, 3, red, 2, 0);
  // A block reaching past the right edge is clipped, not wrapped into the next row.
  Bitmap24 wide;
  wide.SetSize(20, 1, 255, 0, 0);
  WriteFileBlock(f, DiskFormat::Bmp, 1001, 3, wide, 0, 995);
  std::fclose(f);
  const std::string b = ReadWholeFile(dir.File("x.bmp"));
  const auto* p = reinterpret_cast<const uint8_t*>(b.data());
  ASSERT_EQ(b.size(), 54u + 3004u * 3u);
  EXPECT_EQ(std::string(b.data(), 2), "BM");
  EXPECT_EQ(GetLE32(p + 2), 54u + 3004u * 3u);
  EXPECT_EQ(GetLE32(p + 10), 54u);
  EXPECT_EQ(GetLE32(p + 14), 40u);
  EXPECT_EQ(GetLE32(p + 18), 1001u);
  EXPECT_EQ(GetLE32(p + 22), 3u);
  EXPECT_EQ(GetLE16(p + 26), 1);
  EXPECT_EQ(GetLE16(p + 28), 24);
  for (int o = 30; o < 54; ++o) EXPECT_EQ(p[o], 0) << o;
  EXPECT_EQ(p[54 + 3002], 255);  // bottom row (picture row 2), last pixel red
  EXPECT_EQ(p[54 + 3003], 0);    // padding
  EXPECT_EQ(BmpPixel(b, 1000, 0)[0], 255);
  EXPECT_EQ(BmpPixel(b, 994, 0)[0], 0);
  EXPECT_EQ(BmpPixel(b, 0, 1)[0], 0);  // nothing wrapped into row 1
}

// Cells gathered into runs land exactly where WriteFileBlock puts them one by one: bands of
// cells, runs cut by a small buffer, a gap, clipped cells, a cell larger than the buffer.
TEST(DirectWriter, GatheredCellsLandWhereSingleBlocksDo) {
  qvtest::TempDir dir;
  std::mt19937 rng(12);
  const int W = 61, H = 40;
  struct Cell {
    int top, left;
    Bitmap24 pic;
  };
  std::vector<Cell> cells;
  for (int band = 0; band < 4; ++band)
    for (int x = -3; x < W; x += 7) cells.push_back({band * 9 - 2, x, qvtest::RandomBitmap24(7, 9, rng)});
  cells.push_back({33, 5, qvtest::RandomBitmap24(4, 3, rng)});
  cells.push_back({33, 20, qvtest::RandomBitmap24(4, 3, rng)});     // after a gap
  cells.push_back({36, 0, qvtest::RandomBitmap24(W + 4, 6, rng)});  // larger than a small buffer
  for (DiskFormat format : {DiskFormat::Tiff, DiskFormat::Bmp})
    for (size_t buffer : {size_t(100), size_t(700), size_t(4) << 20}) {
      const std::string one = dir.File("one.bin"), many = dir.File("many.bin");
      for (const std::string& name : {one, many}) {
        std::FILE* f = std::fopen(name.c_str(), "w+b");
        ASSERT_TRUE(f);
        if (name == one) {
          for (const Cell& c : cells) WriteFileBlock(f, format, W, H, c.pic, c.top, c.left);
        } else {
          CellRunWriter runs(f, format, W, H, buffer);
          for (const Cell& c : cells) runs.Add(c.pic, c.top, c.left);
          runs.Flush();
        }
        std::fclose(f);
      }
      ASSERT_EQ(ReadWholeFile(one), ReadWholeFile(many)) << int(format) << " " << buffer;
    }
}

TEST(DirectWriter, OuterVerticalGridLinesAtTheEdges) {
  // Width 4, no left border: the first line is 2 pixels at column 0; a left border of 10
  // gives 4 pixels at column 10.
  qvtest::TempDir dir;
  for (int border : {0, 10}) {
    const int w = border + 40, h = 2;
    std::FILE* f = std::fopen(dir.File("g.bmp").c_str(), "w+b");
    ASSERT_TRUE(WriteBmpHeader(f, w, h));
    WriteVerticalGridLines(f, DiskFormat::Bmp, w, h, MakeColorRef(255, 255, 255), 4, 2, 0,
                           std::vector<int>{border, border + 20, border + 40});
    std::fclose(f);
    const std::string b = ReadWholeFile(dir.File("g.bmp"));
    std::string row;
    for (int x = 0; x < w; ++x) row += BmpPixel(b, x, 1)[0] ? '#' : '.';
    const std::string expect =
        border == 0 ? "##................####................##" : "..........####..............####................##";
    EXPECT_EQ(row, expect) << border;
  }
}

// Files in the folder, temporary ones included.
std::set<std::string> FolderFiles(const std::string& dir) {
  std::set<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir)) names.insert(e.path().filename().string());
  return names;
}

TEST(Writers, AStoppedPictureWriterReportsNoSuccessAndLeavesNoPicture) {
  TestMosaic m(3, 3, qvtest::ColouredCells(9));
  RenderSettings st;
  st.OutputWidth = 90;
  st.OutputHeight = 90;
  st.GridWidth = 2;
  const std::string earlier = "an earlier picture";
  for (const char* name : {"stopped.tif", "stopped.bmp", "stopped.jpg"}) {
    const std::string file = m.Dir.File(name);
    std::ofstream(file, std::ios::binary) << earlier;
    const std::set<std::string> before = FolderFiles(m.Dir.Path());
    for (bool direct : {true, false}) {
      if (direct && std::string(name).ends_with(".jpg")) continue;
      std::atomic<bool> stop{false};
      RenderCallbacks cb;
      cb.StopRequested = &stop;
      cb.OnProgress = [&](int64_t done, int64_t) {
        if (done == 3) stop = true;
      };
      const DiskFormat format = std::string(name).ends_with(".bmp") ? DiskFormat::Bmp : DiskFormat::Tiff;
      WriteOutcome out = direct ? SaveTiff(file, format, m.Source(), st, WholeGrid(3, 3), cb)
                                : SavePoster(file, m.Source(), st, WholeGrid(3, 3), cb);
      EXPECT_TRUE(out.Stopped) << name << direct;
      EXPECT_EQ(out.Message, "Procedure cancelled by user") << name << direct;
      // The earlier file is as it was and no temporary file is left behind.
      EXPECT_EQ(ReadWholeFile(file), earlier) << name << direct;
      EXPECT_EQ(FolderFiles(m.Dir.Path()), before) << name << direct;
    }
  }

  // "Cancel" for a missing tile stops a writer the same way when no stop flag is given.
  st.UseOriginals = true;
  RenderCallbacks cancel;
  cancel.AskTileNotFound = [](const std::string&, bool) { return kAnswerCancel; };
  WriteOutcome out = SaveTiff(m.Dir.File("cancel.bmp"), DiskFormat::Bmp, m.Source(), st, WholeGrid(3, 3), cancel);
  EXPECT_TRUE(out.Stopped);
  out = SavePoster(m.Dir.File("cancel.jpg"), m.Source(), st, WholeGrid(3, 3), cancel);
  EXPECT_TRUE(out.Stopped);
  EXPECT_EQ(out.Message, "Procedure cancelled by user");
  EXPECT_FALSE(FileExists(m.Dir.File("cancel.bmp")));
  EXPECT_FALSE(FileExists(m.Dir.File("cancel.jpg")));
}

TEST(Writers, AStopRequestLeftOverFromAnEarlierPassIsClearedAtTheStart) {
  TestMosaic m(3, 2, qvtest::ColouredCells(6));
  RenderSettings st = Bordered();
  st.OutputWidth = 90;
  st.OutputHeight = 40;
  for (const char* name : {"left.tif", "left.bmp", "left.jpg"}) {
    const DiskFormat format = std::string(name).ends_with(".bmp") ? DiskFormat::Bmp : DiskFormat::Tiff;
    for (bool direct : {true, false}) {
      if (direct && std::string(name).ends_with(".jpg")) continue;
      auto save = [&](const std::string& file, const RenderCallbacks& cb) {
        return direct ? SaveTiff(file, format, m.Source(), st, WholeGrid(3, 2), cb)
                      : SavePoster(file, m.Source(), st, WholeGrid(3, 2), cb);
      };
      save(m.Dir.File(std::string("ref-") + name), {});
      std::atomic<bool> stop{true};
      RenderCallbacks cb;
      cb.StopRequested = &stop;
      WriteOutcome out = save(m.Dir.File(name), cb);
      EXPECT_FALSE(out.Stopped) << name << direct;
      EXPECT_FALSE(stop.load());
      EXPECT_EQ(ReadWholeFile(m.Dir.File(name)), ReadWholeFile(m.Dir.File(std::string("ref-") + name)))
          << name << direct;
    }
  }
  std::atomic<bool> stop{true};
  RenderCallbacks cb;
  cb.StopRequested = &stop;
  WriteOutcome out = SaveSequence(m.Dir.File("seq.bmp"), m.Source(), st, WholeGrid(3, 2), cb);
  EXPECT_FALSE(out.Stopped);
  EXPECT_EQ(FolderFiles(m.Dir.Path()).count("seq-002-003-tile0.bmp"), 1u);
}

TEST(PosterWriter, AnUnknownExtensionWritesNothingAndSaysSo) {
  TestMosaic m(2, 2, qvtest::ColouredCells(4));
  RenderSettings st;
  st.OutputWidth = 40;
  st.OutputHeight = 30;
  int cells = 0;
  std::vector<std::string> status;
  RenderCallbacks cb;
  cb.OnProgress = [&](int64_t, int64_t) { ++cells; };
  cb.OnStatus = [&](const std::string& text) { status.push_back(text); };
  try {
    SavePoster(m.Dir.File("mosaic.png"), m.Source(), st, WholeGrid(2, 2), cb);
    ADD_FAILURE() << "no error for .png";
  } catch (const EQuivara& e) {
    EXPECT_EQ(std::string(e.what()),
              "Nothing was written: the picture file name must end in .jpg, .tif or .bmp, not \"mosaic.png\"");
  }
  EXPECT_EQ(cells, 0);
  EXPECT_TRUE(status.empty());
  EXPECT_FALSE(FileExists(m.Dir.File("mosaic.png")));
}

// The JPEG poster, encoded band by band, gives the bytes of the whole picture encoded at
// once: borders, grid lines across the bands, rows of cells without height, cells whose
// tile files are missing, with and without the stamped resolution.
TEST(PosterWriter, JpegBandByBandEqualsTheWholePicture) {
  TestMosaic m(4, 3, qvtest::ColouredCells(12));
  struct Case {
    int width, height, borderTop, borderBottom, grid;
    bool stamp, missing;
  };
  const Case cases[] = {{1000, 800, 20, 40, 5, true, false},
                        {333, 250, 0, 0, 1, false, true},
                        {400, 2, 3, 0, 2, true, false},  // rows of 0 or 1 pixel
                        {97, 61, 0, 7, 0, true, true}};
  for (const Case& c : cases) {
    RenderSettings st = Bordered();
    st.OutputWidth = c.width;
    st.OutputHeight = c.height;
    st.BorderTop = c.borderTop;
    st.BorderBottom = c.borderBottom;
    st.GridWidth = c.grid;
    st.GridColor = MakeColorRef(250, 0, 100);
    st.JpegQuality = 90;
    RenderCallbacks cb;
    if (c.missing) {  // every tile file is missing: replaced by the stored pictures
      st.UseOriginals = true;
      cb.AskTileNotFound = [](const std::string& file, bool) {
        return file == "/nowhere/tile2.jpg" ? kAnswerAuto : kAnswerReplace;
      };
    }
    PosterOptions options;
    options.StampJpegDpi = c.stamp;
    const std::string bmp = m.Dir.File("whole.bmp"), jpg = m.Dir.File("bands.jpg"), ref = m.Dir.File("ref.jpg");
    SavePoster(bmp, m.Source(), st, WholeGrid(4, 3), cb, options);
    SaveJpegFile(ref, LoadPicture24(bmp), 90);
    if (c.stamp) SetJpegDpi(ref, st.Resolution, st.Resolution);
    std::vector<std::string> status;
    cb.OnStatus = [&](const std::string& text) { status.push_back(text); };
    WriteOutcome out = SavePoster(jpg, m.Source(), st, WholeGrid(4, 3), cb, options);
    EXPECT_EQ(out.Message, "Saved to file " + jpg);
    ASSERT_EQ(ReadWholeFile(jpg), ReadWholeFile(ref)) << c.width << " x " << c.height;
    std::vector<std::string> expected{"Saving...", "Saved to file " + jpg};
    if (c.grid > 0) expected.insert(expected.begin(), "Grid...");
    EXPECT_EQ(status, expected);
  }
}

TEST(Writers, RefuseOutputsTheFormatCannotHold) {
  TestMosaic m(2, 2, qvtest::ColouredCells(4));
  RenderSettings st;
  st.OutputWidth = 70000;
  st.OutputHeight = 10;
  EXPECT_THROW(SaveTiff(m.Dir.File("wide.tif"), DiskFormat::Tiff, m.Source(), st, WholeGrid(2, 2), {}),
               EOutputTooLarge);
  EXPECT_THROW(SavePoster(m.Dir.File("wide.tif"), m.Source(), st, WholeGrid(2, 2), {}), EOutputTooLarge);
  EXPECT_FALSE(FileExists(m.Dir.File("wide.tif")));
  // 54 + 75000 x 28635 = 2 147 625 054 bytes: one past 2 GiB.
  st.OutputWidth = 25000;
  st.OutputHeight = 28635;
  EXPECT_THROW(SaveTiff(m.Dir.File("big.bmp"), DiskFormat::Bmp, m.Source(), st, WholeGrid(2, 2), {}), EOutputTooLarge);
  EXPECT_FALSE(FileExists(m.Dir.File("big.bmp")));
  EXPECT_NO_THROW(CheckOutputSize("ok.bmp", 25000, 28630));
}

TEST(PosterWriter, PenLinesAndGrid) {
  // A 4-pixel pen hangs right of and below its line; a 1-pixel pen leaves out the end point.
  Bitmap24 pic;
  pic.SetSize(20, 10, 0, 0, 0);
  DrawPenLine(pic, 5, 5, 9, 5, 4, MakeColorRef(255, 255, 255));
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 20; ++x) {
      const bool on = y >= 5 && y <= 8 && x >= 5 && x <= 11;  // a 4 x 4 square swept over x = 5..8
      EXPECT_EQ(pic.Pixel(x, y)[0] != 0, on) << x << "," << y;
    }
  pic.SetSize(20, 10, 0, 0, 0);
  DrawPenLine(pic, 2, 1, 2, 6, 1, MakeColorRef(255, 255, 255));
  EXPECT_TRUE(pic.Pixel(2, 1)[0] && pic.Pixel(2, 5)[0]);
  EXPECT_FALSE(pic.Pixel(2, 6)[0]);

  // The grid of a bordered poster: every line straddles its cell boundary, the first one
  // half in the left border (Round(0 - 2) + 10 = 8, columns 8..11), the last one half in
  // the right border (108..111).
  RenderSettings st;
  st.OutputWidth = 100;
  st.OutputHeight = 50;
  st.BorderLeft = st.BorderTop = st.BorderRight = st.BorderBottom = 10;
  st.GridWidth = 4;
  st.GridColor = MakeColorRef(255, 0, 0);
  st.BorderColor = 0;
  Bitmap24 poster = MakePosterPicture(st);
  DrawPosterGrid(poster, st, RenderArea{0, 0, 2, 1});
  auto red = [&](int x, int y) { return poster.Pixel(x, y)[2] == 255; };
  EXPECT_TRUE(red(8, 30) && red(11, 30));
  EXPECT_FALSE(red(7, 30) || red(12, 30));
  EXPECT_TRUE(red(58, 30) && red(61, 30));  // inner line at Round(50 - 2) + 10 = 58
  EXPECT_FALSE(red(57, 30) || red(62, 30));
  EXPECT_TRUE(red(108, 30) && red(111, 30));
  EXPECT_FALSE(red(107, 30) || red(112, 30));
  EXPECT_TRUE(red(30, 8) && red(30, 11) && red(30, 58) && red(30, 61));  // top and bottom lines
  EXPECT_FALSE(red(30, 7) || red(30, 12) || red(30, 57) || red(30, 62));
}

// Without borders the outer lines of a poster are half visible at every edge, and the
// poster draws the horizontal and the inner vertical lines on the pixels the direct writer
// gives them (its outer vertical lines lie wholly inside the mosaic).
TEST(PosterWriter, GridLinesStraddleBoundariesLikeTheDirectWriter) {
  TestMosaic m(4, 3, qvtest::ColouredCells(12));
  RenderSettings st;
  st.OutputWidth = 203;
  st.OutputHeight = 151;
  st.GridWidth = 4;
  st.GridColor = MakeColorRef(255, 0, 255);
  const std::string poster = m.Dir.File("p.bmp"), direct = m.Dir.File("d.bmp");
  SavePoster(poster, m.Source(), st, WholeGrid(4, 3), {});
  SaveTiff(direct, DiskFormat::Bmp, m.Source(), st, WholeGrid(4, 3), {});
  const std::string a = ReadWholeFile(poster), b = ReadWholeFile(direct);
  auto grid = [](const uint8_t* q) { return q[0] == 255 && q[1] == 0 && q[2] == 255; };
  for (int x = 0; x < 203; ++x) {
    EXPECT_TRUE(grid(BmpPixel(a, x, 0)) && grid(BmpPixel(a, x, 1))) << x;
    EXPECT_TRUE(grid(BmpPixel(a, x, 150)) && grid(BmpPixel(a, x, 149))) << x;
  }
  for (int y = 0; y < 151; ++y) {
    EXPECT_TRUE(grid(BmpPixel(a, 0, y)) && grid(BmpPixel(a, 1, y))) << y;
    EXPECT_TRUE(grid(BmpPixel(a, 202, y)) && grid(BmpPixel(a, 201, y))) << y;
  }
  for (int y = 2; y < 149; ++y)
    for (int x = 2; x < 201; ++x)  // away from the outer vertical lines the writers agree
      ASSERT_EQ(grid(BmpPixel(a, x, y)), grid(BmpPixel(b, x, y))) << x << "," << y;
}

bool HaveTool(const char* name) {
  return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}

// Runs a command; its output (stdout and stderr) goes to out.
int RunCapture(const std::string& cmd, std::string& out) {
  qvtest::TempDir dir;
  const std::string log = dir.File("out.txt");
  const int rc = std::system((cmd + " >" + log + " 2>&1").c_str());
  out = FileExists(log) ? ReadWholeFile(log) : "";
  return rc;
}

TEST(Writers, ExternalReadersAcceptOurFiles) {
  TestMosaic m(3, 2, qvtest::ColouredCells(6));
  RenderSettings st = Bordered();
  st.GridWidth = 3;
  const std::string tif = m.Dir.File("d.tif"), bmp = m.Dir.File("d.bmp"), ptif = m.Dir.File("p.tif"),
                    pbmp = m.Dir.File("p.bmp"), jpg = m.Dir.File("p.jpg");
  SaveTiff(tif, DiskFormat::Tiff, m.Source(), st, WholeGrid(3, 2), {});
  SaveTiff(bmp, DiskFormat::Bmp, m.Source(), st, WholeGrid(3, 2), {});
  SavePoster(ptif, m.Source(), st, WholeGrid(3, 2), {});
  SavePoster(pbmp, m.Source(), st, WholeGrid(3, 2), {});
  SavePoster(jpg, m.Source(), st, WholeGrid(3, 2), {});
  bool ran = false;
  std::string out;
  if (HaveTool("tiffinfo")) {
    ran = true;
    for (const auto& f : {tif, ptif}) {
      EXPECT_EQ(RunCapture("tiffinfo " + f, out), 0) << out;
      EXPECT_EQ(out.find("Warning"), std::string::npos) << out;
      EXPECT_NE(out.find("Image Width: 1040 Image Length: 860"), std::string::npos) << out;
    }
  }
  if (HaveTool("gm")) {
    ran = true;
    for (const auto& f : {tif, bmp, ptif, pbmp, jpg}) {
      EXPECT_EQ(RunCapture("gm identify " + f, out), 0) << out;
      EXPECT_NE(out.find("1040x860"), std::string::npos) << out;
      EXPECT_EQ(out.find("arning"), std::string::npos) << out;
    }
    EXPECT_EQ(RunCapture("gm identify -format '%x %y' " + jpg, out), 0);
    EXPECT_NE(out.find("150"), std::string::npos) << out;
  }
  if (!ran) GTEST_SKIP() << "neither tiffinfo nor gm is installed";
}

}  // namespace
