// Every input the fuzz targets found a fault with, kept in tests/data/fuzz/ and read here by
// the reader of its extension the way the target read it: a file is refused with the
// reader's own error or read within the readers' limits, quickly, and nothing else happens.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "base/Errors.h"
#include "base/FileUtil.h"
#include "codecs/CodecSupport.h"
#include "codecs/JpegCodec.h"
#include "codecs/PictureLoader.h"
#include "engine/QVData.h"
#include "support/TestFiles.h"

namespace {

namespace fs = std::filesystem;

void ReadTable(const std::string& file) {
  qv::TQVData t;
  try {
    ASSERT_TRUE(t.Open(file, 0));
  } catch (const qv::EFormatError&) {
    return;
  }
  t.ShowThumbs = true;
  for (int32_t n = 1; n <= t.Count; ++n) {
    ASSERT_TRUE(t.GoRecord(n));
    EXPECT_LE(int64_t(t.ThumbBitmap.Width()) * t.ThumbBitmap.Height(), qv::kMaxThumbnailPixels) << "record " << n;
  }
}

void ReadProject(const std::string& file) {
  qv::TQVData plan, mosaic;
  try {
    ASSERT_TRUE(plan.OpenProject(file, mosaic));
  } catch (const qv::EFormatError&) {
    return;
  }
  mosaic.CompactSections();
}

void ReadPicture(const std::string& file) {
  try {
    const qv::Bitmap24 bmp = qv::LoadPicture24(file);
    EXPECT_LE(int64_t(bmp.Width()) * bmp.Height(), qv::kMaxPicturePixels);
  } catch (const qv::EPictureError&) {
  }
}

TEST(FuzzFindings, EveryKeptInputIsReadOrRefusedWithinTheLimits) {
  const fs::path folder = fs::path(QUIVARA_TEST_DATA_DIR) / "fuzz";
  int files = 0;
  for (const auto& entry : fs::directory_iterator(folder)) {
    const std::string file = entry.path().string();
    const std::string ext = qv::ExtractFileExt(file);
    SCOPED_TRACE(entry.path().filename().string());
    const auto start = std::chrono::steady_clock::now();
    if (ext == ".qv2")
      ReadTable(file);
    else if (ext == ".qvp")
      ReadProject(file);
    else
      ReadPicture(file);
    ++files;
    // Each of these once took tens of seconds; a generous bound still tells a relapse.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  }
  EXPECT_GT(files, 0);
}

// A library whose third thumbnail claims 3584 x 64775 pixels in 900 bytes: the cursor passes
// over it as over a thumbnail that does not decode, keeping its JPEG bytes.
TEST(FuzzFindings, AThumbnailClaimingHundredsOfMegapixelsIsNotDecoded) {
  qv::TQVData t;
  ASSERT_TRUE(t.Open(std::string(QUIVARA_TEST_DATA_DIR) + "/fuzz/library-thumbnail-claims-232-megapixels.qv2"));
  t.ShowThumbs = true;
  bool sawHuge = false;
  for (int32_t n = 1; n <= t.Count; ++n) {
    ASSERT_TRUE(t.GoRecord(n));
    const qv::JpegSize claimed =
        qv::JpegMemorySize(reinterpret_cast<const uint8_t*>(t.ThumbJpeg.data()), t.ThumbJpeg.size());
    if (int64_t(claimed.Width) * claimed.Height <= qv::kMaxThumbnailPixels) continue;
    sawHuge = true;
    EXPECT_LE(int64_t(t.ThumbBitmap.Width()) * t.ThumbBitmap.Height(), qv::kMaxThumbnailPixels);
  }
  EXPECT_TRUE(sawHuge);
}

// The passes that decode every stored thumbnail keep the same bound: the flipped copy of the
// huge one keeps its JPEG bytes, as a thumbnail that does not decode does, and neither the
// flips nor the resampling spend the time of a picture of hundreds of megapixels on it.
TEST(FuzzFindings, PassesOverEveryThumbnailKeepTheThumbnailBound) {
  qvtest::TempDir dir;
  qv::TQVData t;
  ASSERT_TRUE(t.Open(std::string(QUIVARA_TEST_DATA_DIR) + "/fuzz/library-thumbnail-claims-232-megapixels.qv2"));
  const auto start = std::chrono::steady_clock::now();
  const int32_t before = t.Count;
  bool added = false;
  for (int kind = qv::kFlipHorizontal; kind <= qv::kFlipVertical && !added; ++kind) added = t.AddFlippedCopies(kind);
  ASSERT_TRUE(added);
  bool sawHuge = false;
  for (int32_t n = 1; n <= t.UnflippedCount; ++n) {
    const std::string jpeg = t.RecordThumbJpeg(n);
    const qv::JpegSize claimed = qv::JpegMemorySize(reinterpret_cast<const uint8_t*>(jpeg.data()), jpeg.size());
    if (int64_t(claimed.Width) * claimed.Height <= qv::kMaxThumbnailPixels) continue;
    sawHuge = true;
    EXPECT_EQ(t.RecordThumbJpeg(before + n), jpeg) << "record " << n;
  }
  EXPECT_TRUE(sawHuge);
  qv::TResampleSettings resample;
  resample.GridW = resample.GridH = 3;
  ASSERT_TRUE(t.ResampleLibrary(dir.File("resampled.qv2"), resample));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

}  // namespace
