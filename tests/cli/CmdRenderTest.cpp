// quivara-cli's render and stats commands on a composed project, run as a user runs them:
// borders and grid, the in-memory and the direct writers, the answers to missing tile files,
// the exports and the statistic report, checked in the files written.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <array>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>

#include "base/FileUtil.h"
#include "cli/CliTestSupport.h"
#include "codecs/JpegCodec.h"
#include "codecs/PictureLoader.h"
#include "engine/EngineTestSupport.h"
#include "support/TestFiles.h"

namespace {

using qvtest::Cli;
using qvtest::RunResult;

// Pixel (x, y) of a picture as (B, G, R).
std::array<int, 3> At(const qv::Bitmap24& pic, int x, int y) {
  const uint8_t* p = pic.Pixel(x, y);
  return {p[0], p[1], p[2]};
}

std::set<std::string> FilesIn(const std::string& dir) {
  std::set<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir)) names.insert(e.path().filename().string());
  return names;
}

// A 4 x 3 mosaic of 4:3 tiles, composed from 12 tiles, over a source picture whose left half
// is red and right half blue.
class CmdRenderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(::mkdir(tiles_.c_str(), 0777), 0);
    ASSERT_EQ(::mkdir(out_.c_str(), 0777), 0);
    for (int k = 0; k < 12; ++k) qvtest::WriteTestJpeg(tiles_ + "/t" + std::to_string(k) + ".jpg", 48, 36, uint32_t(k));
    qv::Bitmap24 source(240, 135);
    for (int y = 0; y < source.Height(); ++y)
      for (int x = 0; x < source.Width(); ++x) {
        uint8_t* p = source.Pixel(x, y);
        p[0] = x < 120 ? 0 : 230;
        p[2] = x < 120 ? 230 : 0;
      }
    qv::SaveJpegFile(source_, source, 95);
    RunResult r = Cli("library create " + lib_ + " --root " + tiles_ + " --prop 4:3");
    ASSERT_EQ(r.status, 0) << r.output;
    r = Cli("project create " + project_ + " --library " + lib_ + " --source " + source_ + " --cols 4 --rows 3");
    ASSERT_EQ(r.status, 0) << r.output;
    r = Cli("compose " + project_ + " --mode top --distance 0 --repeat 1");
    ASSERT_EQ(r.status, 0) << r.output;
  }
  std::string Out(const std::string& name) const { return out_ + "/" + name; }

  qvtest::TempDir dir_;
  std::string tiles_ = dir_.File("tiles");
  std::string out_ = dir_.File("out");
  std::string source_ = dir_.File("source.jpg");
  std::string lib_ = dir_.File("lib.qv2");
  std::string project_ = dir_.File("p.qvp");
};

TEST_F(CmdRenderTest, BordersAndGridInMemoryAndDirect) {
  // A 200 x 112 mosaic area (16 : 9, 112.5 rounds to even), borders 5, 6, 7, 8, a 2-pixel red grid.
  const std::string options = " --width 200 --borders 5,6,7,8 --border-color '#102030' --no-sharpen";
  const std::string grid = " --grid 2,#FF0000";
  for (const char* name : {"poster.bmp", "poster.tif", "poster.jpg", "direct.bmp", "direct.tif"}) {
    SCOPED_TRACE(name);
    const bool direct = std::string(name).starts_with("direct");
    RunResult r = Cli("render " + project_ + " " + Out(name) + options + grid + (direct ? " --direct" : ""));
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_NE(r.output.find((direct ? "Saved to " : "Saved to file ") + Out(name)), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("(212 x 126 pixels, 12 cells"), std::string::npos) << r.output;

    const qv::Bitmap24 pic = qv::LoadPicture24(Out(name));
    ASSERT_EQ(pic.Width(), 212);
    ASSERT_EQ(pic.Height(), 126);
    const int tolerance = std::string(name).ends_with(".jpg") ? 24 : 0;
    auto near = [&](std::array<int, 3> a, std::array<int, 3> b) {
      for (int i = 0; i < 3; ++i)
        if (std::abs(a[size_t(i)] - b[size_t(i)]) > tolerance) return false;
      return true;
    };
    const std::array<int, 3> border{0x30, 0x20, 0x10}, red{0, 0, 255};
    for (int x = 2; x < 210; x += 3) {
      EXPECT_TRUE(near(At(pic, x, 0), border)) << x;
      EXPECT_TRUE(near(At(pic, x, 125), border)) << x;
    }
    for (int y = 2; y < 124; y += 3) {
      EXPECT_TRUE(near(At(pic, 0, y), border)) << y;
      EXPECT_TRUE(near(At(pic, 211, y), border)) << y;
    }
    // The line between the first two columns covers 5 + 49 and 5 + 50; the cells beside it
    // are tiles (rows clear of the horizontal lines at 6 + 36 and 6 + 74; a JPEG's colour
    // subsampling smears a line this thin).
    for (int y : {20, 30, 60, 70, 100, 110}) {
      if (tolerance) break;
      EXPECT_EQ(At(pic, 54, y), red) << y;
      EXPECT_EQ(At(pic, 55, y), red) << y;
      EXPECT_NE(At(pic, 30, y), red) << y;
    }
  }
  // Without a grid (whose outer lines the two writers lay differently) the files are the same.
  for (const char* ext : {".bmp", ".tif"}) {
    ASSERT_EQ(Cli("render " + project_ + " " + Out(std::string("a") + ext) + options).status, 0);
    ASSERT_EQ(Cli("render " + project_ + " " + Out(std::string("b") + ext) + options + " --direct").status, 0);
    EXPECT_TRUE(qv::ReadWholeFile(Out(std::string("a") + ext)) == qv::ReadWholeFile(Out(std::string("b") + ext)))
        << ext;
  }
}

TEST_F(CmdRenderTest, AnswersForMissingTileFiles) {
  const std::string thumbs = Out("thumbs.bmp");
  ASSERT_EQ(Cli("render " + project_ + " " + thumbs + " --width 160").status, 0);
  std::filesystem::remove_all(tiles_);

  // thumb: every cell from its stored picture, as without --originals.
  RunResult r = Cli("render " + project_ + " " + Out("thumb.bmp") + " --width 160 --originals --missing thumb");
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_TRUE(qv::ReadWholeFile(Out("thumb.bmp")) == qv::ReadWholeFile(thumbs));

  // source: every cell from its part of the source picture, red left, blue right.
  r = Cli("render " + project_ + " " + Out("source.bmp") + " --width 160 --originals --missing source");
  ASSERT_EQ(r.status, 0) << r.output;
  const qv::Bitmap24 pic = qv::LoadPicture24(Out("source.bmp"));
  EXPECT_GT(At(pic, 20, 60)[2], 200);
  EXPECT_LT(At(pic, 20, 60)[0], 40);
  EXPECT_GT(At(pic, 140, 60)[0], 200);

  // stop: status 130, nothing written, not even a temporary file; in memory and direct.
  for (const char* extra : {"", " --direct"}) {
    r = Cli("render " + project_ + " " + Out("stopped.tif") + " --width 160 --originals --missing stop" + extra);
    EXPECT_EQ(r.status, 130) << extra;
    EXPECT_NE(r.output.find("Procedure cancelled by user"), std::string::npos) << r.output;
  }
  EXPECT_EQ(FilesIn(out_), (std::set<std::string>{"thumbs.bmp", "thumb.bmp", "source.bmp"}));

  // ask, answered on standard input: "Replace" asks again, "Replace all rest" ends the questions.
  qvtest::WriteFile(dir_.File("answers"), "1\n2\n");
  r = Cli("render " + project_ + " " + Out("asked.bmp") + " --width 160 --originals --missing ask < " +
          dir_.File("answers"));
  ASSERT_EQ(r.status, 0) << r.output;
  size_t questions = 0;
  for (size_t at = r.output.find("Can't find a file"); at != std::string::npos;
       at = r.output.find("Can't find a file", at + 1))
    ++questions;
  EXPECT_EQ(questions, 2u);
  EXPECT_TRUE(qv::ReadWholeFile(Out("asked.bmp")) == qv::ReadWholeFile(thumbs));
  qvtest::WriteFile(dir_.File("answers"), "4\n");
  r = Cli("render " + project_ + " " + Out("asked.jpg") + " --width 160 --originals --missing ask < " +
          dir_.File("answers"));
  EXPECT_EQ(r.status, 130);
  EXPECT_FALSE(qv::FileExists(Out("asked.jpg")));
}

TEST_F(CmdRenderTest, GalleryListSequenceAndStatistic) {
  RunResult r = Cli("render " + project_ + " " + Out("g.html") + " --width 160 --select 2,2,3,3");
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_EQ(FilesIn(Out("tmb")).size(), 4u);
  EXPECT_EQ(FilesIn(Out("big")).size(), 4u);
  const std::string page = qv::ReadWholeFile(Out("g.html"));
  EXPECT_NE(page.find("src=\"tmb/002-002-t"), std::string::npos) << page;

  r = Cli("render " + project_ + " " + Out("list.txt"));
  ASSERT_EQ(r.status, 0) << r.output;
  const std::string list = qv::ReadWholeFile(Out("list.txt"));
  std::map<std::pair<int, int>, std::string> tileAt;  // (row, column) from 1
  std::istringstream lines(list);
  for (std::string line; std::getline(lines, line);) {
    ASSERT_EQ(line.back(), '\r');
    tileAt[{std::stoi(line.substr(0, 4)), std::stoi(line.substr(6, 4))}] = line.substr(12, line.size() - 13);
  }
  ASSERT_EQ(tileAt.size(), 12u);
  std::set<std::string> used;
  for (const auto& [at, tile] : tileAt) used.insert(tile);
  EXPECT_EQ(used.size(), 12u);  // Repeat 1 and 12 tiles for 12 cells: each once
  EXPECT_EQ(tileAt[std::make_pair(1, 1)].rfind(tiles_ + "/t", 0), 0u) << list;

  r = Cli("render " + project_ + " " + Out("cell.bmp") + " --sequence --width 160");
  ASSERT_EQ(r.status, 0) << r.output;
  int cells = 0;
  for (const std::string& f : FilesIn(out_)) cells += f.rfind("cell-", 0) == 0;
  EXPECT_EQ(cells, 12);
  const std::string cell =
      Out("cell-003-004-" + qv::ChangeFileExt(qv::ExtractFileName(tileAt[std::make_pair(3, 4)]), ".bmp"));
  ASSERT_TRUE(qv::FileExists(cell)) << cell;
  EXPECT_EQ(qv::LoadPicture24(cell).Width(), 40);

  r = Cli("stats " + project_ + " " + Out("stat.txt"));
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_NE(r.output.find("(12 unique pictures were used.)"), std::string::npos) << r.output;
  const std::string report = qv::ReadWholeFile(Out("stat.txt"));
  EXPECT_EQ(report.rfind("\r\n12 unique pictures were used.", 0), 0u);
  for (const std::string& tile : used) EXPECT_NE(report.find("   1, " + tile + " , "), std::string::npos) << tile;

  EXPECT_EQ(Cli("stats " + project_).status, 1);
  EXPECT_EQ(Cli("render " + project_ + " " + Out("x.png")).status, 1);
}

}  // namespace
