// Reusing decoded thumbnails and the signatures placed from them: every record loads, and
// every composition saves, exactly as without the reuse.
#include <gtest/gtest.h>

#include <random>

#include "engine/CompositionRun.h"
#include "engine/EngineTestSupport.h"
#include "engine/QVData.h"
#include "raster/Resample.h"
#include "support/TestFiles.h"

namespace {

using qv::TQVData;

// A YCC library of `count` tiles whose thumbnails are pictures drawn from seed + k; the
// records in `broken` get thumbnail bytes that do not decode.
void WriteYccLibrary(const std::string& path, int count, uint32_t seed, const std::vector<int>& broken = {}) {
  TQVData t;
  t.OpenWorkFiles(qvtest::TableSettings(6, 6, qv::kColorYCC));
  for (int k = 1; k <= count; ++k) {
    const qv::Bitmap24 picture = qvtest::DrawTestPicture(12 + k % 5, 12, seed + uint32_t(k));
    const qv::SignatureBytes sig = qv::SignatureOf(qv::Resample(picture, 6, 6, qv::kFilterMitchell), qv::kColorYCC);
    qv::TTileInfo info;
    info.PicWidth = 200;
    info.PicHeight = 200;
    info.CropRight = uint16_t(100 + k);
    info.CropBottom = 100;
    info.Name = "tile" + std::to_string(k);
    const bool bad = std::find(broken.begin(), broken.end(), k) != broken.end();
    const std::string jpeg = bad ? std::string("not a picture ") + std::to_string(k) : qv::EncodeJpeg(picture, 80);
    t.AppendWorkRecord(0, sig.data(), info, &jpeg, true);
    ++t.AddedCount;
  }
  ASSERT_TRUE(t.WriteLibraryFile(path));
}

qv::SignatureBytes PlacedSignature(const TQVData& t) {
  return qv::SignatureOf(qv::Resample(t.ThumbBitmap, 6, 6, qv::kFilterMitchell), qv::kColorRGB);
}

class ThumbnailReuseTest : public ::testing::Test {
 protected:
  qvtest::TempDir dir_;
};

TEST_F(ThumbnailReuseTest, LoadingRecordsAgainGivesWhatDecodingGives) {
  const std::string file = dir_.File("lib.qv2");
  WriteYccLibrary(file, 12, 1, {4, 9});
  TQVData plain, reusing, small;
  for (TQVData* t : {&plain, &reusing, &small}) {
    ASSERT_TRUE(t->Open(file));
    t->ShowThumbs = true;
  }
  plain.ThumbCacheBytes = 0;
  small.ThumbCacheBytes = 3000;  // a few pictures: the cache keeps dropping some
  std::mt19937 rng(5);
  for (int step = 0; step < 300; ++step) {
    const int32_t n = 1 + int32_t(rng() % 12);
    SCOPED_TRACE("step " + std::to_string(step) + ", record " + std::to_string(n));
    for (TQVData* t : {&plain, &reusing, &small}) ASSERT_TRUE(t->GoRecord(n));
    // A broken thumbnail keeps the picture of the record loaded before.
    for (TQVData* t : {&reusing, &small}) {
      EXPECT_EQ(t->ThumbJpeg, plain.ThumbJpeg);
      EXPECT_TRUE(t->ThumbBitmap == plain.ThumbBitmap);
      EXPECT_EQ(t->ThumbSignature(6, 6, qv::kColorRGB), PlacedSignature(plain));
    }
    EXPECT_EQ(plain.ThumbSignature(6, 6, qv::kColorRGB), PlacedSignature(plain));
  }
}

TEST_F(ThumbnailReuseTest, ThumbSignatureFollowsThePictureItIsGiven) {
  const std::string file = dir_.File("lib.qv2");
  WriteYccLibrary(file, 3, 7);
  TQVData lib;
  ASSERT_TRUE(lib.Open(file));
  lib.ShowThumbs = true;
  lib.GoRecord(2);
  const qv::SignatureBytes first = lib.ThumbSignature(6, 6, qv::kColorRGB);
  EXPECT_EQ(first, PlacedSignature(lib));
  EXPECT_EQ(lib.ThumbSignature(3, 2, qv::kColorY),
            qv::SignatureOf(qv::Resample(lib.ThumbBitmap, 3, 2, qv::kFilterMitchell), qv::kColorY));
  lib.ThumbBitmap.Fill(10, 200, 30);  // a caller drew over the picture
  EXPECT_EQ(lib.ThumbSignature(6, 6, qv::kColorRGB), PlacedSignature(lib));
  EXPECT_NE(lib.ThumbSignature(6, 6, qv::kColorRGB), first);
  lib.GoRecord(2);
  EXPECT_EQ(lib.ThumbSignature(6, 6, qv::kColorRGB), first);
  lib.ShowThumbs = false;  // the colour grid stands in
  lib.GoRecord(2);
  EXPECT_EQ(lib.ThumbSignature(6, 6, qv::kColorRGB), PlacedSignature(lib));
}

TEST_F(ThumbnailReuseTest, AThumbnailIsDecodedAgainOnceItsSectionChanged) {
  // Two libraries whose first thumbnails lie at the same offset but show other pictures.
  const std::string a = dir_.File("a.qv2"), b = dir_.File("b.qv2");
  WriteYccLibrary(a, 5, 100);
  WriteYccLibrary(b, 5, 200);
  TQVData lib, fresh;
  lib.ShowThumbs = fresh.ShowThumbs = true;
  fresh.ThumbCacheBytes = 0;
  ASSERT_TRUE(lib.Open(a));
  lib.GoRecord(1);
  ASSERT_TRUE(lib.Open(b));
  ASSERT_TRUE(fresh.Open(b));
  lib.GoRecord(1);
  fresh.GoRecord(1);
  EXPECT_EQ(lib.ThumbJpeg, fresh.ThumbJpeg);
  EXPECT_TRUE(lib.ThumbBitmap == fresh.ThumbBitmap);

  // Flipped copies removed and others added: the first copy's thumbnail takes the same offset.
  for (TQVData* t : {&lib, &fresh}) {
    ASSERT_TRUE(t->AddFlippedCopies(qv::kFlipHorizontal));
    t->GoRecord(6);
    t->RemoveFlippedCopies();
    ASSERT_TRUE(t->AddFlippedCopies(qv::kFlipVertical));
    t->GoRecord(6);
  }
  ASSERT_EQ(lib.RecordThumbJpeg(6), fresh.ThumbJpeg);
  EXPECT_EQ(lib.ThumbJpeg, fresh.ThumbJpeg);
  EXPECT_TRUE(lib.ThumbBitmap == fresh.ThumbBitmap);
  EXPECT_EQ(lib.ThumbSignature(6, 6, qv::kColorRGB), PlacedSignature(fresh));
}

// Composes a project of a YCC library (some thumbnails broken) and saves it; the file's bytes.
std::string ComposeAndSave(const qvtest::TempDir& dir, const std::string& tag, size_t thumbCacheBytes) {
  const std::string libFile = dir.File("lib.qv2");
  TQVData lib, plan, mosaic;
  EXPECT_TRUE(lib.Open(libFile));
  lib.ShowThumbs = true;
  lib.ThumbCacheBytes = thumbCacheBytes;
  const std::string project = dir.File("p-" + tag + ".qvp");
  lib.CreateProject(project, qvtest::DrawTestPicture(9 * 8, 7 * 8, 3), {}, qv::Size{9, 7});
  EXPECT_TRUE(plan.OpenProject(project, mosaic));
  qv::TCompositionSettings s;
  s.Mode = qv::kVisitSmart;
  s.Distance = 1;
  s.Cols = 9;
  s.Rows = 7;
  const qv::TCompositionResult r = qv::RunComposition(lib, plan, mosaic, s);
  EXPECT_EQ(r.Placed, 63);
  mosaic.CompactSections();
  plan.SaveProject(project, mosaic, lib);
  return qvtest::FileBytes(project);
}

TEST_F(ThumbnailReuseTest, AComposedProjectIsTheSameWithAndWithoutReuse) {
  WriteYccLibrary(dir_.File("lib.qv2"), 30, 9, {2, 17});
  const int64_t tail = qv::FileSection::TailBytes();
  qv::FileSection::SetTailBytes(0);  // every append written through, as a plain file would
  const std::string plain = ComposeAndSave(dir_, "plain", 0);
  qv::FileSection::SetTailBytes(100);
  const std::string small = ComposeAndSave(dir_, "small", 4000);
  qv::FileSection::SetTailBytes(tail);
  const std::string reusing = ComposeAndSave(dir_, "reusing", size_t(8) << 20);
  ASSERT_FALSE(plain.empty());
  EXPECT_TRUE(small == plain);
  EXPECT_TRUE(reusing == plain);
}

}  // namespace
