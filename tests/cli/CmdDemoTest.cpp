// quivara-cli demo: the sample library, the composed sample project the desktop program
// opens, the picture and the report.
#include <gtest/gtest.h>

#include "base/FileUtil.h"
#include "cli/CliTestSupport.h"
#include "engine/QVData.h"
#include "support/TestFiles.h"

namespace {

TEST(CmdDemo, ComposedProjectCarriesTheTilesThumbnails) {
  qvtest::TempDir dir;
  const std::string out = dir.File("demo");
  qvtest::RunResult r = qvtest::Cli("demo " + out + " --samples " + std::string(QUIVARA_SOURCE_DIR) +
                                    "/resources/samples --cols 6 --rows 4 --width 240");
  ASSERT_EQ(r.status, 0) << r.output;
  for (const char* f : {"/samples.qv2", "/demo.qvp", "/demo.jpg", "/demo-statistic.txt"})
    EXPECT_TRUE(qv::FileExists(out + f)) << f;
  qv::TQVData plan, mosaic;
  ASSERT_TRUE(plan.OpenProject(out + "/demo.qvp", mosaic));
  mosaic.ShowThumbs = true;
  for (int32_t n = 1; n <= mosaic.Count; ++n) {
    mosaic.GoRecord(n);
    EXPECT_GT(mosaic.TileNo, 0);
    // The library's 42-pixel thumbnail, not the 6 x 6 signature picture.
    EXPECT_EQ(mosaic.ThumbBitmap.Width(), 42) << "cell " << n;
  }
}

}  // namespace
