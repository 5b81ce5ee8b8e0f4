// Library builds with the pictures prepared in helper processes: the same file as a build in
// this process, pictures whose decoder hangs, crashes or answers nonsense skipped while the
// build goes on, a stop that does not wait for a hanging decoder, and no helper left behind.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>

#include "codecs/BmpCodec.h"
#include "engine/EngineTestSupport.h"
#include "engine/QVData.h"
#include "engine/TileHelper.h"
#include "support/TestFiles.h"

namespace {

using qv::TQVData;

// Sets an environment variable for the length of a scope; helpers inherit it.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : name_(name) {
    const char* old = std::getenv(name);
    had_ = old != nullptr;
    if (had_) old_ = old;
    ::setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv() {
    if (had_)
      ::setenv(name_, old_.c_str(), 1);
    else
      ::unsetenv(name_);
  }

 private:
  const char* name_;
  bool had_ = false;
  std::string old_;
};

// True when this process has no child at all, running or unreaped.
bool NoChildProcesses() {
  int status = 0;
  return ::waitpid(-1, &status, WNOHANG) < 0 && errno == ECHILD;
}

class IsolatedBuildTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(qv::TileHelperPath().empty()) << "quivara-tile-helper is not built";
    pictures_ = dir_.File("pictures");
    ASSERT_EQ(::mkdir(pictures_.c_str(), 0777), 0);
    const int sizes[][2] = {{640, 480}, {480, 640}, {300, 300}, {97, 131}};
    for (int i = 0; i < 8; ++i) {
      char name[32];
      std::snprintf(name, sizeof name, "/p%02d.jpg", i);
      qvtest::WriteTestJpeg(pictures_ + name, sizes[i % 4][0], sizes[i % 4][1], 70 + uint32_t(i));
    }
    qvtest::WriteFile(pictures_ + "/p03b.jpg", "not a picture");
    qv::SaveBmpFile(pictures_ + "/p05b.bmp", qvtest::DrawTestPicture(50, 70, 3));
  }

  qv::TBuildSettings Settings(bool isolated, int threads) const {
    qv::TBuildSettings s = qvtest::NewLibrarySettings(pictures_);
    s.PictureExtensions = "*.JPG*.JPEG*.BMP";
    s.IsolateDecoders = isolated;
    s.Threads = threads;
    s.PictureTimeLimitMs = 1500;
    return s;
  }

  std::vector<std::string> RecordNames(const std::string& library) {
    TQVData t;
    EXPECT_TRUE(t.Open(library));
    std::vector<std::string> names;
    for (int32_t n = 1; n <= t.Count; ++n) names.push_back(qv::ExtractFileName(t.RecordName(n)));
    return names;
  }

  qvtest::TempDir dir_;
  std::string pictures_;
};

TEST_F(IsolatedBuildTest, HelpersWriteTheSameFileAsThisProcess) {
  for (bool fast : {true, false}) {
    SCOPED_TRACE(fast ? "fast JPEG" : "full JPEG");
    TQVData inProcess;
    qv::TBuildSettings s = Settings(false, 2);
    s.FastJpeg = fast;
    ASSERT_TRUE(inProcess.CreateLibrary(dir_.File("a.qv2"), s));
    EXPECT_EQ(inProcess.AddedCount, 9);
    for (int threads : {1, 2}) {
      TQVData isolated;
      s.IsolateDecoders = true;
      s.Threads = threads;
      ASSERT_TRUE(isolated.CreateLibrary(dir_.File("b.qv2"), s));
      EXPECT_TRUE(qvtest::FileBytes(dir_.File("a.qv2")) == qvtest::FileBytes(dir_.File("b.qv2"))) << threads;
      EXPECT_TRUE(inProcess.LastTilePicture == isolated.LastTilePicture);
    }
  }
  // A helper program that cannot start (this one never greets) leaves the work to this
  // process instead of skipping every picture. (a.qv2 is the full JPEG build now.)
  {
    ScopedEnv env("QUIVARA_TILE_HELPER", "/bin/true");
    TQVData fallback;
    qv::TBuildSettings s = Settings(true, 2);
    s.FastJpeg = false;
    ASSERT_TRUE(fallback.CreateLibrary(dir_.File("c.qv2"), s));
    EXPECT_TRUE(qvtest::FileBytes(dir_.File("a.qv2")) == qvtest::FileBytes(dir_.File("c.qv2")));
  }
  EXPECT_TRUE(NoChildProcesses());
}

TEST_F(IsolatedBuildTest, PicturesThatBreakTheirDecoderAreSkippedAndTheBuildGoesOn) {
  const std::vector<std::string> all = {"p00.jpg", "p01.jpg",  "p02.jpg", "p03.jpg", "p04.jpg",
                                        "p05.jpg", "p05b.bmp", "p06.jpg", "p07.jpg"};
  struct Case {
    const char* fault;
    std::vector<std::string> skipped;
  } cases[] = {
      {"hang:p02", {"p02.jpg"}},
      {"crash:p01,crash:p05b", {"p01.jpg", "p05b.bmp"}},
      {"garbage:p06", {"p06.jpg"}},
      // The first and the last picture, and two in a row for one helper.
      {"crash:p00,hang:p07,crash:p03,crash:p04", {"p00.jpg", "p03.jpg", "p04.jpg", "p07.jpg"}},
  };
  for (const Case& c : cases) {
    for (int threads : {1, 2}) {
      SCOPED_TRACE(std::string(c.fault) + ", threads " + std::to_string(threads));
      ScopedEnv env("QUIVARA_TEST_HELPER_FAULT", c.fault);
      TQVData t;
      int progress = 0;
      t.OnCreateBaseProgress = [&](TQVData&) { ++progress; };
      ASSERT_TRUE(t.CreateLibrary(dir_.File("lib.qv2"), Settings(true, threads)));
      std::vector<std::string> expected;
      for (const auto& name : all)
        if (std::find(c.skipped.begin(), c.skipped.end(), name) == c.skipped.end()) expected.push_back(name);
      EXPECT_EQ(RecordNames(dir_.File("lib.qv2")), expected);
      EXPECT_EQ(t.AddedCount, int32_t(expected.size()));
      EXPECT_EQ(progress, 10);  // every file, the unreadable one included
      EXPECT_TRUE(NoChildProcesses());
    }
  }
}

TEST_F(IsolatedBuildTest, StopDoesNotWaitForAHangingDecoder) {
  ScopedEnv env("QUIVARA_TEST_HELPER_FAULT", "hang:p02");
  for (int threads : {1, 2}) {
    SCOPED_TRACE(threads);
    TQVData t;
    qv::TBuildSettings s = Settings(true, threads);
    s.PictureTimeLimitMs = 600000;
    // The stop comes while the build waits for p02, as a dialog's Stop button would send it
    // from the events processed during the wait.
    int waits = -1000;
    t.OnCreateBaseProgress = [&](TQVData& d) { waits = d.AddedCount == 2 ? 0 : -1000; };
    t.OnProcessMessages = [&] {
      if (++waits == 10) t.StopRequested = true;
    };
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(t.CreateLibrary(dir_.File("lib.qv2"), s));
    const auto seconds =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LT(seconds, 20);  // the time limit is ten minutes
    EXPECT_EQ(RecordNames(dir_.File("lib.qv2")), (std::vector<std::string>{"p00.jpg", "p01.jpg"}));
    EXPECT_TRUE(NoChildProcesses());
  }
}

}  // namespace
