// quivara-cli's library commands, run as a user runs them.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>

#include "cli/CliTestSupport.h"
#include "engine/EngineTestSupport.h"
#include "engine/QVData.h"
#include "support/TestFiles.h"

namespace {

using qvtest::Cli;
using qvtest::RunResult;

class CmdLibraryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(::mkdir(pictures_.c_str(), 0777), 0);
    qvtest::WriteTestJpeg(pictures_ + "/a.jpg", 120, 90, 1);
    qvtest::WriteTestJpeg(pictures_ + "/b.jpeg", 90, 120, 2);
    qvtest::WriteFile(pictures_ + "/c.jpg", "not a picture");
  }
  qvtest::TempDir dir_;
  std::string pictures_ = dir_.File("pics");
  std::string lib_ = dir_.File("lib.qv2");
};

TEST_F(CmdLibraryTest, CreateInfoFlipsAndThumbs) {
  RunResult r = Cli("library create " + lib_ + " --root " + pictures_ + " --prop 3:4 --crop lt --color rgb");
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_NE(r.output.find("2 of 3 picture files added"), std::string::npos) << r.output;
  qv::TQVData t;
  ASSERT_TRUE(t.Open(lib_));
  EXPECT_EQ(t.Count, 2);
  EXPECT_EQ(t.PropX, 3);
  EXPECT_EQ(t.PropY, 4);
  EXPECT_EQ(t.ColorSystem, qv::kColorRGB);
  EXPECT_EQ(t.CropLeft, 0);
  ASSERT_TRUE(t.GoRecord(2));
  EXPECT_EQ(t.CropTop, 0);  // left-top crop of a portrait picture

  r = Cli("library flips " + lib_ + " --add r,h");
  ASSERT_EQ(r.status, 0) << r.output;
  ASSERT_TRUE(t.Open(lib_));
  EXPECT_EQ(t.Count, 6);
  EXPECT_EQ(t.FlipKinds[0], qv::kFlipHorizontal);  // h before r, whatever the order given
  EXPECT_EQ(t.FlipKinds[1], qv::kFlipRotate180);

  r = Cli("library info " + lib_ + " --records");
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_NE(r.output.find("Unflipped tiles: 2"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find(pictures_ + "/b.jpeg"), std::string::npos);

  const std::string thumbs = dir_.File("thumbs");
  r = Cli("library thumbs " + lib_ + " " + thumbs + " --first 3");
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_TRUE(qv::FileExists(thumbs + "/000003.jpg"));
  EXPECT_FALSE(qv::FileExists(thumbs + "/000004.jpg"));

  r = Cli("library flips " + lib_ + " --remove");
  ASSERT_EQ(r.status, 0) << r.output;
  r = Cli("library resample " + lib_ + " " + dir_.File("r.qv2") + " --grid 4x3");
  ASSERT_EQ(r.status, 0) << r.output;
  ASSERT_TRUE(t.Open(dir_.File("r.qv2")));
  EXPECT_EQ(t.SigSize, 36);
}

// Tiles keep the full path of their picture even when the folder is given relative to the
// current one, so the library works from anywhere.
TEST_F(CmdLibraryTest, RelativeRootGivesFullTileNames) {
  std::string cmd = "cd '" + dir_.Path() + "' && '" + std::string(QUIVARA_BINARY_DIR) +
                    "/src/cli/quivara-cli' library create rel.qv2 --root pics >/dev/null 2>&1";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  qv::TQVData t;
  ASSERT_TRUE(t.Open(dir_.File("rel.qv2")));
  ASSERT_TRUE(t.GoRecord(1));
  EXPECT_EQ(t.Name, pictures_ + "/a.jpg");
}

TEST_F(CmdLibraryTest, FailuresSayWhyAndExitNonZero) {
  RunResult r = Cli("library create " + lib_);
  EXPECT_NE(r.status, 0);
  EXPECT_NE(r.output.find("--root"), std::string::npos) << r.output;
  r = Cli("library create " + lib_ + " --root " + pictures_ + " --types JPG,XYZ");
  EXPECT_NE(r.status, 0);
  EXPECT_NE(r.output.find("Unknown picture type"), std::string::npos) << r.output;
  r = Cli("library info " + pictures_ + "/a.jpg");
  EXPECT_NE(r.status, 0);
  EXPECT_NE(r.output.find("Wrong file format. Not quivara base"), std::string::npos) << r.output;
  r = Cli("library info " + dir_.File("missing.qv2"));
  EXPECT_NE(r.status, 0);
  EXPECT_NE(r.output.find("not found"), std::string::npos) << r.output;
  EXPECT_FALSE(qv::FileExists(lib_));
}

TEST_F(CmdLibraryTest, DeletedTilesRepeatedNamesAndTheLibraryAsAMosaic) {
  ASSERT_EQ(Cli("library create " + lib_ + " --root " + pictures_).status, 0);
  // The same folder once more: both names come twice.
  RunResult r = Cli("library append " + lib_ + " " + pictures_);
  ASSERT_EQ(r.status, 0) << r.output;
  r = Cli("library clean-doubles " + lib_);
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_NE(r.output.find("2 tiles with a repeated path and name marked deleted"), std::string::npos) << r.output;
  qv::TQVData t;
  ASSERT_TRUE(t.Open(lib_));
  EXPECT_EQ(t.RecordStatus(3), 255);
  EXPECT_EQ(t.RecordStatus(4), 255);

  r = Cli("library mosaic " + lib_ + " " + dir_.File("all.qvp") + " --order name");
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_NE(r.output.find("2 tiles in 1 x 2 cells"), std::string::npos) << r.output;
  qv::TQVData plan, mosaic;
  ASSERT_TRUE(plan.OpenProject(dir_.File("all.qvp"), mosaic));
  EXPECT_EQ(mosaic.RecordName(1), pictures_ + "/a.jpg");
  EXPECT_EQ(mosaic.RecordTileNo(2), 2);

  r = Cli("library remove-deleted " + lib_);
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_NE(r.output.find("2 deleted tiles removed, 2 tiles left"), std::string::npos) << r.output;
  r = Cli("library delete " + lib_ + " 1,2");
  ASSERT_EQ(r.status, 0) << r.output;
  r = Cli("library remove-deleted " + lib_);
  EXPECT_NE(r.status, 0);
  EXPECT_NE(r.output.find("Every tile of the library is marked deleted"), std::string::npos) << r.output;
  ASSERT_TRUE(t.Open(lib_));
  EXPECT_EQ(t.Count, 2);  // left as it was
  EXPECT_NE(Cli("library delete " + lib_ + " 3").status, 0);
  ASSERT_EQ(Cli("library delete " + lib_ + " 2 --restore").status, 0);
  ASSERT_EQ(Cli("library remove-deleted " + lib_).status, 0);
  ASSERT_TRUE(t.Open(lib_));
  EXPECT_EQ(t.Count, 1);
  EXPECT_EQ(t.RecordName(1), pictures_ + "/b.jpeg");
}

}  // namespace
