// Building libraries from folders: crop rectangles, the folder scan rules, fast JPEG
// decoding, skipped pictures, stop, the worker pipeline, append and resample passes.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <array>
#include <cstdlib>

#include "base/Errors.h"
#include "codecs/BmpCodec.h"
#include "engine/EngineTestSupport.h"
#include "engine/FolderScan.h"
#include "engine/QVData.h"
#include "engine/TileBuilder.h"
#include "engine/TileRecords.h"
#include "raster/Resample.h"
#include "support/TestFiles.h"

namespace {

using qv::Rect;
using qv::TileCropRect;
using qv::TQVData;

void MakeDir(const std::string& p) { ASSERT_EQ(::mkdir(p.c_str(), 0777), 0) << p; }

TEST(TileCropTest, WorkedExamples) {
  EXPECT_EQ(TileCropRect(400, 300, 4, 4, 0, 4), (Rect{50, 0, 350, 300}));
  EXPECT_EQ(TileCropRect(400, 300, 4, 4, 10, 4), (Rect{65, 15, 335, 285}));
  EXPECT_EQ(TileCropRect(400, 300, 4, 4, 0, 0), (Rect{0, 0, 300, 300}));
  EXPECT_EQ(TileCropRect(400, 300, 4, 4, 0, 8), (Rect{100, 0, 400, 300}));
  EXPECT_EQ(TileCropRect(400, 300, 4, 4, 0, 9), (Rect{0, 0, 400, 300}));
  EXPECT_EQ(TileCropRect(300, 400, 4, 4, 0, 7), (Rect{0, 100, 300, 400}));
  // The taller branch with a margin: s from the width, applied to both axes.
  EXPECT_EQ(TileCropRect(300, 400, 4, 4, 10, 4), (Rect{15, 65, 285, 335}));
  EXPECT_EQ(TileCropRect(300, 400, 4, 4, 0, 1), (Rect{0, 0, 300, 300}));
  // 3 : 4 tiles from a landscape picture: width Round(300 / 4 * 3) = 225.
  EXPECT_EQ(TileCropRect(400, 300, 3, 4, 0, 5), (Rect{175, 0, 400, 300}));
  EXPECT_EQ(TileCropRect(0, 300, 4, 4, 0, 4), Rect{});
  EXPECT_EQ(qv::ThumbHeightFor(42, 4, 4), 42);
  EXPECT_EQ(qv::ThumbHeightFor(42, 3, 4), 56);
  EXPECT_EQ(qv::ThumbHeightFor(42, 4, 3), 32);  // 31.5 to the even neighbour
}

TEST(FolderScanTest, ExtensionsAreFoundAnywhereInThePatterns) {
  EXPECT_TRUE(qv::ExtensionAccepted("a.jpg", "*.JPG*.JPEG"));
  EXPECT_TRUE(qv::ExtensionAccepted("a.JpEg", "*.JPG*.JPEG"));
  EXPECT_TRUE(qv::ExtensionAccepted("a.jp", "*.JPG*.JPEG"));
  EXPECT_FALSE(qv::ExtensionAccepted("a.png", "*.JPG*.JPEG"));
  EXPECT_FALSE(qv::ExtensionAccepted("jpg", "*.JPG*.JPEG"));
  EXPECT_EQ(qv::PictureExtensionsFor({"png", "JPG", "tif"}), "*.JPG*.JPEG*.TIF*.TIFF*.PNG");
  EXPECT_THROW(qv::PictureExtensionsFor({"xyz"}), qv::EQuivara);
}

TEST(FolderScanTest, FilesInNameOrderThenSubfoldersSkippingRecycledAndTrash) {
  qvtest::TempDir dir;
  const std::string root = dir.File("root");
  MakeDir(root);
  for (const char* sub : {"/sub", "/RECYCLED", "/RECYCLED/inner", "/Recycled", "/.Trash-1000", "/sub/deeper"})
    MakeDir(root + sub);
  for (const char* f : {"/b.jpg", "/a.JPG", "/c.jp", "/d.png", "/noext", "/sub/e.jpeg", "/sub/deeper/k.jpg",
                        "/RECYCLED/f.jpg", "/RECYCLED/inner/g.jpg", "/Recycled/i.jpg", "/.Trash-1000/h.jpg"})
    qvtest::WriteFile(root + f, "x");
  EXPECT_EQ(qv::ListPictureFilesIn(root, "*.JPG*.JPEG", true),
            (std::vector<std::string>{root + "/a.JPG", root + "/b.jpg", root + "/c.jp", root + "/Recycled/i.jpg",
                                      root + "/sub/e.jpeg", root + "/sub/deeper/k.jpg"}));
  EXPECT_EQ(qv::ListPictureFilesIn(root + "/", "*.JPG", false),
            (std::vector<std::string>{root + "/a.JPG", root + "/b.jpg", root + "/c.jp"}));
  // A link back up the tree is visited once.
  ASSERT_EQ(::symlink(root.c_str(), (root + "/sub/loop").c_str()), 0);
  EXPECT_EQ(qv::ListPictureFilesIn(root, "*.PNG", true), (std::vector<std::string>{root + "/d.png"}));
  EXPECT_TRUE(qv::IsTrashFolder("/media/x/.Trash-1000/files"));
  EXPECT_FALSE(qv::IsTrashFolder("/media/x/Trash/files"));
}

TEST(FolderScanTest, TheUsersTrashIsLeftOut) {
  qvtest::TempDir dir;
  const std::string data = dir.File("data");
  for (const char* sub : {"", "/Trash", "/Trash/files", "/pictures"}) MakeDir(data + sub);
  qvtest::WriteFile(data + "/Trash/files/gone.jpg", "x");
  qvtest::WriteFile(data + "/pictures/kept.jpg", "x");
  const char* old = std::getenv("XDG_DATA_HOME");
  std::string saved = old ? old : "";
  ::setenv("XDG_DATA_HOME", data.c_str(), 1);
  std::vector<std::string> found = qv::ListPictureFilesIn(data, "*.JPG", true);
  EXPECT_TRUE(qv::IsTrashFolder(data + "/Trash/files"));
  if (old)
    ::setenv("XDG_DATA_HOME", saved.c_str(), 1);
  else
    ::unsetenv("XDG_DATA_HOME");
  EXPECT_EQ(found, (std::vector<std::string>{data + "/pictures/kept.jpg"}));
}

class BuildTest : public ::testing::Test {
 protected:
  void SetUp() override {
    pictures_ = dir_.File("pictures");
    MakeDir(pictures_);
  }

  // count JPEG pictures of assorted sizes named p00.jpg, p01.jpg, ...
  void AddPictures(const std::string& folder, int count, uint32_t seed) {
    const int sizes[][2] = {{640, 480}, {480, 640}, {300, 300}, {1024, 200}, {97, 131}, {40, 30}};
    for (int i = 0; i < count; ++i) {
      char name[32];
      std::snprintf(name, sizeof name, "/p%02d.jpg", i);
      qvtest::WriteTestJpeg(folder + name, sizes[i % 6][0], sizes[i % 6][1], seed + uint32_t(i));
    }
  }

  void Build(TQVData& t, const std::string& out, int threads) {
    qv::TBuildSettings settings = qvtest::NewLibrarySettings(pictures_);
    settings.Threads = threads;
    ASSERT_TRUE(t.CreateLibrary(out, settings));
  }

  // Builds a library of count pictures into lib.qv2 and opens it on t.
  void BuildAndOpen(TQVData& t, int count, uint32_t seed) {
    AddPictures(pictures_, count, seed);
    TQVData builder;
    Build(builder, dir_.File("lib.qv2"), 1);
    ASSERT_TRUE(t.Open(dir_.File("lib.qv2")));
  }

  qvtest::TempDir dir_;
  std::string pictures_;
};

TEST_F(BuildTest, FastJpegDecodesSmallAndStoresTheFullSize) {
  const std::string pic = pictures_ + "/wide.jpg";
  qvtest::WriteTestJpeg(pic, 640, 480, 5);
  qv::TBuildSettings s;
  qv::TPreparedTile fast = qv::PrepareTile(pic, s);
  ASSERT_TRUE(fast.Ok) << fast.Error;
  EXPECT_EQ(fast.PicWidth, 640);
  EXPECT_EQ(fast.PicHeight, 480);
  EXPECT_EQ(fast.Crop, (Rect{80, 0, 560, 480}));
  EXPECT_EQ(fast.Cropped.Width(), 60);  // decoded at 1/8: 80 x 60
  EXPECT_EQ(fast.Signature.size(), 108u);
  s.FastJpeg = false;
  qv::TPreparedTile full = qv::PrepareTile(pic, s);
  ASSERT_TRUE(full.Ok);
  EXPECT_EQ(full.Crop, fast.Crop);
  EXPECT_EQ(full.Cropped.Width(), 480);
  qv::Bitmap24 thumb = qv::DecodeJpegMemory(reinterpret_cast<const uint8_t*>(full.Jpeg.data()), full.Jpeg.size());
  EXPECT_EQ(thumb.Width(), 42);
  EXPECT_EQ(thumb.Height(), 42);
}

TEST_F(BuildTest, OtherFormatsAndIconsAreLoaded) {
  qv::SaveBmpFile(pictures_ + "/x.bmp", qvtest::DrawTestPicture(60, 80, 9));
  qv::TBuildSettings s;
  qv::TPreparedTile t = qv::PrepareTile(pictures_ + "/x.bmp", s);
  ASSERT_TRUE(t.Ok) << t.Error;
  EXPECT_EQ(t.Crop, (Rect{0, 10, 60, 70}));
  EXPECT_FALSE(qv::PrepareTile(pictures_ + "/missing.ico", s).Ok);
}

TEST_F(BuildTest, BrokenPicturesAreSkippedWithoutAHalfRecord) {
  AddPictures(pictures_, 3, 1);
  qvtest::WriteFile(pictures_ + "/p01b.jpg", "\xFF\xD8\xFF\xE0 this is not really a JPEG");
  qvtest::WriteFile(pictures_ + "/p01c.jpeg", "");
  TQVData t;
  int events = 0;
  t.OnCreateBaseProgress = [&](TQVData& d) { ++events; };
  const std::string out = dir_.File("lib.qv2");
  Build(t, out, 1);
  EXPECT_EQ(events, 5);
  EXPECT_EQ(t.AddedCount, 3);
  EXPECT_EQ(t.Progress, 3);
  EXPECT_FALSE(t.TableIsOpen());  // the builder's own table is not changed
  TQVData lib;
  ASSERT_TRUE(lib.Open(out));
  EXPECT_EQ(lib.Count, 3);
  EXPECT_EQ(lib.RecordName(2), pictures_ + "/p01.jpg");
  EXPECT_EQ(lib.RecordName(3), pictures_ + "/p02.jpg");
  EXPECT_EQ(t.LastTilePicture.Width(), 75);  // p02: 300 x 300 decoded at 1/4
}

TEST_F(BuildTest, WorkerThreadsWriteTheSameFile) {
  AddPictures(pictures_, 14, 20);
  const std::string sub = pictures_ + "/sub";
  MakeDir(sub);
  AddPictures(sub, 3, 40);
  qvtest::WriteFile(pictures_ + "/p05x.jpg", "broken");
  qv::SaveBmpFile(pictures_ + "/p07x.bmp", qvtest::DrawTestPicture(50, 70, 3));
  for (bool fast : {true, false}) {
    SCOPED_TRACE(fast ? "fast JPEG" : "full JPEG");
    TQVData a, b;
    std::vector<int> progressA, progressB;
    a.OnCreateBaseProgress = [&](TQVData& d) { progressA.push_back(d.AddedCount); };
    b.OnCreateBaseProgress = [&](TQVData& d) { progressB.push_back(d.AddedCount); };
    qv::TBuildSettings settings = qvtest::NewLibrarySettings(pictures_);
    settings.FastJpeg = fast;
    settings.PictureExtensions = "*.JPG*.JPEG*.BMP";
    settings.Threads = 1;
    ASSERT_TRUE(a.CreateLibrary(dir_.File("a.qv2"), settings));
    settings.Threads = 3;
    ASSERT_TRUE(b.CreateLibrary(dir_.File("b.qv2"), settings));
    EXPECT_EQ(a.AddedCount, 18);
    EXPECT_EQ(qvtest::FileBytes(dir_.File("a.qv2")), qvtest::FileBytes(dir_.File("b.qv2")));
    EXPECT_EQ(progressA, progressB);
    EXPECT_EQ(progressA.size(), 19u);
    EXPECT_TRUE(a.LastTilePicture == b.LastTilePicture);
  }
}

TEST_F(BuildTest, StopEndsTheScanAtTheNextPicture) {
  AddPictures(pictures_, 4, 1);
  MakeDir(pictures_ + "/sub");
  AddPictures(pictures_ + "/sub", 4, 9);
  for (int threads : {1, 2}) {
    for (int stopAt : {2, 6}) {
      SCOPED_TRACE("threads " + std::to_string(threads) + ", stop at " + std::to_string(stopAt));
      TQVData t;
      int events = 0;
      t.OnCreateBaseProgress = [&](TQVData& d) {
        if (++events == stopAt) d.StopRequested = true;
      };
      const std::string out = dir_.File("stopped.qv2");
      Build(t, out, threads);
      // The picture whose event raised the stop is still added; none after it.
      EXPECT_EQ(events, stopAt);
      EXPECT_EQ(t.AddedCount, stopAt);
      TQVData lib;
      ASSERT_TRUE(lib.Open(out));
      EXPECT_EQ(lib.Count, stopAt);
    }
  }
}

// Without WriteEmptyLibrary a build that adds no picture leaves a library of that name as
// it was, and no file beside it; by default it writes the empty library.
TEST_F(BuildTest, BuildWithoutPicturesKeepsTheOldLibraryWhenAsked) {
  qvtest::WriteFile(pictures_ + "/a.jpg", "not a picture");
  const std::string out = dir_.File("old.qv2");
  qvtest::WriteFile(out, "old library");
  qv::TBuildSettings settings = qvtest::NewLibrarySettings(pictures_);
  settings.Threads = 1;
  settings.WriteEmptyLibrary = false;
  TQVData t;
  EXPECT_FALSE(t.CreateLibrary(out, settings));
  EXPECT_EQ(t.AddedCount, 0);
  EXPECT_FALSE(t.Work);
  EXPECT_EQ(qvtest::FileBytes(out), "old library");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.Path()), {}), 2);  // old.qv2, pictures

  // A stop before the first picture is the same.
  AddPictures(pictures_, 2, 1);
  t.StopRequested = true;
  EXPECT_FALSE(t.CreateLibrary(out, settings));
  EXPECT_EQ(qvtest::FileBytes(out), "old library");

  settings.WriteEmptyLibrary = true;
  qvtest::WriteFile(pictures_ + "/p00.jpg", "broken");
  qvtest::WriteFile(pictures_ + "/p01.jpg", "broken");
  TQVData u;
  EXPECT_TRUE(u.CreateLibrary(out, settings));
  TQVData lib;
  ASSERT_TRUE(lib.Open(out));
  EXPECT_EQ(lib.Count, 0);
}

TEST_F(BuildTest, NoExtensionsIsAnError) {
  AddPictures(pictures_, 1, 1);
  TQVData t;
  qv::TBuildSettings settings = qvtest::NewLibrarySettings(pictures_);
  settings.PictureExtensions = "";
  const std::string out = dir_.File("none.qv2");
  try {
    t.CreateLibrary(out, settings);
    FAIL() << "no error";
  } catch (const qv::EQuivara& e) {
    EXPECT_EQ(std::string(e.what()), "Not ready to create " + out + "\r\n Check some of picture file extantions");
  }
  EXPECT_FALSE(qv::FileExists(out));
  EXPECT_FALSE(t.Work);
}

TEST_F(BuildTest, UnwritableTargetIsReported) {
  AddPictures(pictures_, 1, 1);
  TQVData t;
  EXPECT_FALSE(t.CreateLibrary(dir_.File("missing/folder/x.qv2"), qvtest::NewLibrarySettings(pictures_)));
  EXPECT_FALSE(t.Work);
}

TEST_F(BuildTest, AppendKeepsOnlyTheUnflippedTiles) {
  TQVData t;
  t.ShowThumbs = true;
  BuildAndOpen(t, 3, 1);
  const std::string lib = t.BaseName();
  const std::string data3(reinterpret_cast<const char*>(t.DataSection.Data()), size_t(4 + 3 * 113));
  const std::string thumb2 = t.RecordThumbJpeg(2);
  ASSERT_TRUE(t.AddFlippedCopies(qv::kFlipHorizontal));
  t.Save();

  const std::string more = dir_.File("more");
  MakeDir(more);
  AddPictures(more, 2, 50);
  qv::TScanSettings scan;
  scan.RootFolder = more;
  scan.PictureExtensions = "*.JPG*.JPEG";
  std::vector<std::string> warnings;
  t.OnWarning = [&](const std::string& text, const std::string& caption) { warnings.push_back(caption + ": " + text); };
  ASSERT_TRUE(t.AppendFolder(scan));
  EXPECT_EQ(t.AddedCount, 5);
  EXPECT_EQ(warnings, (std::vector<std::string>{"Flipped tiles removed: 3 flipped tiles were left out of " + lib +
                                                ". Add them again if you want to use them."}));

  TQVData u;
  u.ShowThumbs = true;
  ASSERT_TRUE(u.Open(lib));
  EXPECT_EQ(u.Count, 5);
  EXPECT_EQ(u.UnflippedCount, 5);
  EXPECT_EQ(u.FlipKinds[0], 0);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(u.DataSection.Data()), data3.size()), data3);
  EXPECT_EQ(u.RecordThumbJpeg(2), thumb2);
  EXPECT_EQ(u.RecordName(4), more + "/p00.jpg");
  ASSERT_TRUE(u.GoRecord(5));
  EXPECT_EQ(u.ThumbBitmap.Width(), 36);
  // Nothing of the dropped copies is left behind in the sections.
  EXPECT_EQ(u.TextSection.Size(),
            t.TextSection.Size() - 3 * (38 + int64_t(pictures_.size()) + 8) + 2 * (38 + int64_t(more.size()) + 8));
}

// An append needs no settings but the scan: the new tiles take the shape, signatures and
// header values of the library they join, whatever a caller may have set elsewhere.
TEST_F(BuildTest, AppendTakesEverySettingFromTheLibrary) {
  qvtest::WriteTestJpeg(pictures_ + "/first.jpg", 300, 200, 3);
  qv::TBuildSettings own = qvtest::NewLibrarySettings(pictures_);
  own.PropX = 3;
  own.PropY = 4;
  own.GridW = 4;
  own.GridH = 5;
  own.ColorSystem = qv::kColorRGB;
  own.FilterCode = qv::kFilterBell;
  own.FormatByte = 7;
  const std::string lib = dir_.File("own.qv2");
  {
    TQVData builder;
    ASSERT_TRUE(builder.CreateLibrary(lib, own));
  }
  // The header without the counts and section offsets, which an append rightly changes.
  auto shapeBytes = [&] {
    const std::string bytes = qvtest::FileBytes(lib);
    EXPECT_GE(bytes.size(), size_t(79));
    qv::TLibraryHeader h = qv::DecodeLibraryHeader(reinterpret_cast<const uint8_t*>(bytes.data()));
    h.Count = h.UnflippedCount = h.TextOffset = h.DataOffset = h.ThumbOffset = 0;
    return qv::EncodeLibraryHeader(h);
  };
  const std::string before = shapeBytes();
  const std::string more = dir_.File("more");
  MakeDir(more);
  qvtest::WriteTestJpeg(more + "/wide.jpg", 640, 480, 4);

  TQVData t;
  int warnings = 0;
  t.OnWarning = [&](const std::string&, const std::string&) { ++warnings; };
  ASSERT_TRUE(t.Open(lib));
  qv::TScanSettings scan;
  scan.RootFolder = more;
  scan.PictureExtensions = "*.JPG*.JPEG";
  ASSERT_TRUE(t.AppendFolder(scan));
  EXPECT_EQ(warnings, 0);  // there were no flipped copies to leave out

  EXPECT_EQ(shapeBytes(), before);
  TQVData u;
  u.ShowThumbs = true;
  ASSERT_TRUE(u.Open(lib));
  ASSERT_EQ(u.Count, 2);
  EXPECT_EQ(u.FormatByte, 7);
  EXPECT_EQ(u.FilterCode, qv::kFilterBell);
  ASSERT_TRUE(u.GoRecord(2));
  // 640 x 480 cut at 3 : 4 in the centre: 360 pixels wide from x = 140; thumbnail 36 x 48.
  EXPECT_EQ(u.Name, more + "/wide.jpg");
  EXPECT_EQ((Rect{u.CropLeft, u.CropTop, u.CropRight, u.CropBottom}), (Rect{140, 0, 500, 480}));
  EXPECT_EQ(u.ThumbBitmap.Width(), 36);
  EXPECT_EQ(u.ThumbBitmap.Height(), 48);
  // The signature is the thumbnail on the library's 4 x 5 grid in RGB, up to what the
  // thumbnail's JPEG coding changed.
  const qv::SignatureBytes want = qv::SignatureOf(qv::Resample(u.ThumbBitmap, 4, 5, qv::kFilterBell), qv::kColorRGB);
  ASSERT_EQ(u.Signature.size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) EXPECT_NEAR(u.Signature[i], want[i], 8) << i;
}

TEST_F(BuildTest, ResampleWritesAnotherGridFromTheThumbnails) {
  TQVData t;
  BuildAndOpen(t, 3, 7);
  ASSERT_TRUE(t.AddFlippedCopies(qv::kFlipVertical));
  const std::string out = dir_.File("small.qv2");
  ASSERT_TRUE(t.ResampleLibrary(out, {.GridW = 3, .GridH = 2, .ColorSystem = qv::kColorRGB}));
  EXPECT_EQ(t.Count, 6);  // the open library is not changed
  EXPECT_EQ(t.BuildFilterCode, 6);
  TQVData r;
  ASSERT_TRUE(r.Open(out));
  EXPECT_EQ(r.Count, 3);
  EXPECT_EQ(r.GridW, 3);
  EXPECT_EQ(r.GridH, 2);
  EXPECT_EQ(r.SigSize, 18);
  EXPECT_EQ(r.ColorSystem, qv::kColorRGB);
  EXPECT_EQ(r.FilterCode, 6);
  EXPECT_EQ(r.FormatByte, 3);
  for (int n = 1; n <= 3; ++n) {
    std::string jpeg = t.RecordThumbJpeg(n);
    EXPECT_EQ(r.RecordThumbJpeg(n), jpeg);
    qv::Bitmap24 thumb = qv::DecodeJpegMemory(reinterpret_cast<const uint8_t*>(jpeg.data()), jpeg.size());
    qv::SignatureBytes want = qv::SignatureOf(qv::Resample(thumb, 3, 2, 6), qv::kColorRGB);
    EXPECT_EQ(qv::SignatureBytes(r.RecordSignature(n), r.RecordSignature(n) + 18), want);
    EXPECT_EQ(r.RecordInfo(n).SlotOffset, r.SlotOffset(n));
    EXPECT_EQ(r.RecordName(n), t.RecordName(n));
  }
}

TEST_F(BuildTest, StoppedResampleWarnsAndKeepsTheTilesDone) {
  TQVData t;
  BuildAndOpen(t, 3, 7);
  std::string text, caption;
  t.OnWarning = [&](const std::string& a, const std::string& b) {
    text = a;
    caption = b;
  };
  t.OnProgress = [](TQVData& d) { d.StopRequested = true; };
  const std::string out = dir_.File("part.qv2");
  ASSERT_TRUE(t.ResampleLibrary(out, {.GridW = 6, .GridH = 6, .ColorSystem = qv::kColorYCC}));
  EXPECT_EQ(text, "Pack procedure was cancelled");
  EXPECT_EQ(caption, "Stopped");
  TQVData r;
  ASSERT_TRUE(r.Open(out));
  EXPECT_EQ(r.Count, 1);
}

}  // namespace

namespace {

// A library of 2 x 2 signatures, one tile a cell value (every cell alike), without thumbnails.
void WriteFlatTiles(const std::string& path, uint8_t colorSystem, const std::vector<std::array<uint8_t, 3>>& cells) {
  TQVData w;
  w.OpenWorkFiles(qvtest::TableSettings(2, 2, colorSystem));
  for (const auto& c : cells) {
    qv::SignatureBytes sig;
    for (int cell = 0; cell < 4; ++cell) sig.insert(sig.end(), c.begin(), c.end());
    qv::TTileInfo info;
    info.Name = "flat";
    w.AppendWorkRecord(0, sig.data(), info, nullptr, true);
    ++w.AddedCount;
  }
  ASSERT_TRUE(w.WriteLibraryFile(path));
}

// Opens lib, writes its copy with the settings' grid and colour system to out, and opens the
// copy on r.
void ResampleInto(const std::string& lib, const std::string& out, const qv::TResampleSettings& settings, TQVData& r) {
  TQVData t;
  ASSERT_TRUE(t.Open(lib));
  ASSERT_TRUE(t.ResampleLibrary(out, settings));
  ASSERT_TRUE(r.Open(out));
}

// A tile without a usable thumbnail is resampled from its stored signature, never from
// another tile's picture.
TEST(ResampleFallbackTest, TileWithoutThumbnailKeepsItsOwnColours) {
  qvtest::TempDir dir;
  const std::string lib = dir.File("plain.qv2");
  const std::vector<std::array<uint8_t, 3>> bgr = {{10, 200, 30}, {250, 0, 120}};
  WriteFlatTiles(lib, qv::kColorRGB, bgr);
  TQVData r;
  ResampleInto(lib, dir.File("ycc.qv2"), {.GridW = 3, .GridH = 2, .ColorSystem = qv::kColorYCC}, r);
  ASSERT_EQ(r.Count, 2);
  for (int n = 1; n <= 2; ++n) {
    const auto& c = bgr[size_t(n - 1)];
    uint8_t ycc[3];
    qv::RgbToYcc(c[2], c[1], c[0], ycc);
    for (int cell = 0; cell < 6; ++cell)
      EXPECT_EQ(qv::SignatureBytes(r.RecordSignature(n) + cell * 3, r.RecordSignature(n) + cell * 3 + 3),
                qv::SignatureBytes(ycc, ycc + 3));
    EXPECT_EQ(r.RecordInfo(n).ThumbOffset, 0);
  }
}

// The way back: a YCC tile without a thumbnail resampled into RGB keeps its colours, the
// lightness curve undone (mid grey stays 128, it does not come back as 194).
TEST(ResampleFallbackTest, YccTileWithoutThumbnailKeepsItsColoursInRgb) {
  qvtest::TempDir dir;
  const std::string lib = dir.File("ycc.qv2");
  const uint8_t colours[3][3] = {{128, 128, 128}, {30, 160, 220}, {240, 20, 90}};  // B, G, R
  std::vector<std::array<uint8_t, 3>> cells;
  for (const auto& c : colours) {
    uint8_t ycc[3];
    qv::RgbToYcc(c[2], c[1], c[0], ycc);
    cells.push_back({ycc[0], ycc[1], ycc[2]});
  }
  WriteFlatTiles(lib, qv::kColorYCC, cells);
  TQVData r;
  ResampleInto(lib, dir.File("rgb.qv2"), {.GridW = 3, .GridH = 2, .ColorSystem = qv::kColorRGB}, r);
  ASSERT_EQ(r.Count, 3);
  for (int n = 1; n <= 3; ++n)
    for (int cell = 0; cell < 6; ++cell)
      for (int ch = 0; ch < 3; ++ch)
        EXPECT_NEAR(r.RecordSignature(n)[cell * 3 + ch], colours[n - 1][ch], 3) << n << " " << cell << " " << ch;
}

}  // namespace

namespace {

// The fast path does not refuse a picture the loader would take: a BMP named .jpg.
TEST(FastJpegFallbackTest, PictureWithTheWrongExtensionIsStillTaken) {
  qvtest::TempDir dir;
  const std::string pic = dir.File("really-a-bitmap.jpg");
  qv::SaveBmpFile(pic, qvtest::DrawTestPicture(80, 60, 4));
  qv::TBuildSettings s;
  qv::TPreparedTile fast = qv::PrepareTile(pic, s);
  s.FastJpeg = false;
  qv::TPreparedTile slow = qv::PrepareTile(pic, s);
  ASSERT_EQ(fast.Ok, slow.Ok) << fast.Error << " / " << slow.Error;
  EXPECT_EQ(fast.Signature, slow.Signature);
  EXPECT_EQ(fast.Crop, slow.Crop);
}

}  // namespace
