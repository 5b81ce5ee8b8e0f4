// Saves that fail on the way. Every writer of a user's file is run once cleanly, then made
// to fail at each point a write can fail (a short write after which the disk is full, no
// space at once, the rename refused): each time the failure is reported, every file under a
// final name is either the one that was there before or the complete new one, and no
// temporary file is left. A real "file too large" (RLIMIT_FSIZE) in a child process, and the
// cleaning up of temporary files that saves which never finished left behind.
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <map>

#include "base/FileUtil.h"
#include "codecs/BmpCodec.h"
#include "engine/EngineTestSupport.h"
#include "engine/LibraryMaintenance.h"
#include "engine/QVData.h"
#include "output/DirectWriter.h"
#include "output/HtmlExport.h"
#include "output/PosterWriter.h"
#include "output/RenderTestSupport.h"
#include "output/SequenceExport.h"
#include "output/TextExport.h"
#include "support/TestFiles.h"

namespace {

namespace fs = std::filesystem;
using qv::TQVData;
using qv::TWriteFault;
using Files = std::map<std::string, std::string>;  // path under the folder -> bytes

Files Snapshot(const std::string& dir) {
  Files files;
  for (const auto& e : fs::recursive_directory_iterator(dir))
    if (e.is_regular_file()) files[fs::relative(e.path(), dir).string()] = qv::ReadWholeFile(e.path().string());
  return files;
}

bool IsTempName(const std::string& path) { return fs::path(path).filename().string().rfind(".qv", 0) == 0; }

// Pictures, a library built from them, and a mosaic: the inputs of the writers.
class SaveFaultTest : public ::testing::Test {
 protected:
  void SetUp() override {
    pictures_ = dir_.File("pictures");
    more_ = dir_.File("more");
    tiles_ = dir_.File("tiles");
    for (const std::string& d : {pictures_, more_, tiles_}) fs::create_directory(d);
    for (int i = 0; i < 6; ++i) {
      qvtest::WriteTestJpeg(pictures_ + "/p" + std::to_string(i) + ".jpg", 120 + 10 * i, 90, 11 + uint32_t(i));
      qvtest::WriteTestJpeg(more_ + "/m" + std::to_string(i) + ".jpg", 80, 100 + 10 * i, 31 + uint32_t(i));
    }
    // The tile files the HTML gallery copies.
    for (int i = 0; i < 5; ++i)
      qvtest::WriteTestJpeg(tiles_ + "/tile" + std::to_string(i) + ".jpg", 64, 48, 50 + uint32_t(i));
    library_ = dir_.File("lib.qv2");
    TQVData builder;
    ASSERT_TRUE(builder.CreateLibrary(library_, Settings(pictures_)));
    mosaic_ = std::make_unique<qvtest::TestMosaic>(4, 3, qvtest::ColouredCells(12, tiles_ + "/tile"));
    out_ = dir_.File("out");
  }

  qv::TBuildSettings Settings(const std::string& root) const {
    qv::TBuildSettings s = qvtest::NewLibrarySettings(root);
    s.Threads = 1;
    s.IsolateDecoders = false;
    return s;
  }

  qv::RenderSettings Render() const {
    qv::RenderSettings st;
    st.OutputWidth = 400;
    st.OutputHeight = 240;
    st.BorderLeft = st.BorderTop = 4;
    return st;
  }

  // A writer: lays out in the folder what it needs beforehand (prepare), writes into it and
  // says whether it reported success.
  struct Writer {
    std::string Name;
    std::function<void(const std::string&)> Prepare;
    std::function<bool(const std::string&)> Run;
  };

  // "Saved to ...", "Sequence saved to files: ..."
  static bool Saved(const qv::WriteOutcome& o) { return !o.Stopped && o.Message.find("aved to") != std::string::npos; }

  std::vector<Writer> Writers() {
    const auto copyLibrary = [this](const std::string& out) { fs::copy_file(library_, out + "/lib.qv2"); };
    const auto noFiles = [](const std::string&) {};
    auto poster = [this](const char* ext) {
      return [this, ext](const std::string& out) {
        return Saved(qv::SavePoster(out + "/poster" + ext, mosaic_->Source(), Render(), qv::WholeGrid(4, 3), {}));
      };
    };
    auto direct = [this](qv::DiskFormat format, const char* ext) {
      return [this, format, ext](const std::string& out) {
        return Saved(qv::SaveTiff(out + "/direct" + ext, format, mosaic_->Source(), Render(), qv::WholeGrid(4, 3), {}));
      };
    };
    return {
        {"library build", noFiles,
         [this](const std::string& out) { return TQVData().CreateLibrary(out + "/lib.qv2", Settings(pictures_)); }},
        {"library save", copyLibrary,
         [](const std::string& out) {
           TQVData t;
           t.Open(out + "/lib.qv2");
           qv::SetTileDeleted(t, 2, true);
           t.Save();
           return true;
         }},
        {"append", copyLibrary,
         [this](const std::string& out) {
           TQVData t;
           t.Open(out + "/lib.qv2");
           return t.AppendFolder(Settings(more_));
         }},
        {"flips", copyLibrary,
         [](const std::string& out) {
           TQVData t;
           t.Open(out + "/lib.qv2");
           t.AddFlippedCopies(1);
           t.Save();
           return true;
         }},
        {"remove deleted tiles", copyLibrary,
         [](const std::string& out) {
           TQVData t;
           t.Open(out + "/lib.qv2");
           qv::SetTileDeleted(t, 1, true);
           qv::SaveWithoutDeletedTiles(t, out + "/lib.qv2");
           return true;
         }},
        {"resample", noFiles,
         [this](const std::string& out) {
           TQVData t;
           t.Open(library_);
           qv::TResampleSettings s;
           s.GridW = s.GridH = 8;
           return t.ResampleLibrary(out + "/resampled.qv2", s);
         }},
        {"project save", noFiles,
         [this](const std::string& out) {
           TQVData library;
           mosaic_->Plan.SaveProject(out + "/project.qvp", mosaic_->Mosaic, library);
           return true;
         }},
        {"JPEG", noFiles, poster(".jpg")},
        {"TIFF in memory", noFiles, poster(".tif")},
        {"BMP in memory", noFiles, poster(".bmp")},
        {"TIFF direct", noFiles, direct(qv::DiskFormat::Tiff, ".tif")},
        {"BMP direct", noFiles, direct(qv::DiskFormat::Bmp, ".bmp")},
        {"HTML", noFiles,
         [this](const std::string& out) {
           return Saved(qv::SaveHTML(out + "/gallery.html", mosaic_->Source(), Render(), qv::WholeGrid(4, 3), {}));
         }},
        {"sequence", noFiles,
         [this](const std::string& out) {
           return Saved(qv::SaveSequence(out + "/cell.bmp", mosaic_->Source(), Render(), qv::WholeGrid(4, 3), {}));
         }},
        {"text", noFiles,
         [this](const std::string& out) {
           return Saved(qv::SaveText(out + "/list.txt", mosaic_->Source(), qv::WholeGrid(4, 3), {}));
         }},
    };
  }

  // Empties the output folder, lays out what the writer needs and, under each of names not
  // there yet, a previous file of that name.
  void Reset(const Writer& w, const Files& names) {
    fs::remove_all(out_);
    fs::create_directory(out_);
    w.Prepare(out_);
    for (const auto& [name, bytes] : names) {
      const std::string path = out_ + "/" + name;
      if (fs::exists(path)) continue;
      fs::create_directories(fs::path(path).parent_path());
      qvtest::WriteFile(path, "previous " + name);
    }
  }

  // Runs the writer; an exception is a reported failure.
  static bool RunReported(const Writer& w, const std::string& out) {
    try {
      return w.Run(out);
    } catch (const std::exception&) {
      return false;
    }
  }

  // The points to fail at among count: every one of a few, else a spread including the ends.
  static std::vector<int64_t> Points(int64_t count) {
    if (count <= 12) {
      std::vector<int64_t> all;
      for (int64_t i = 1; i <= count; ++i) all.push_back(i);
      return all;
    }
    return {1, 2, count / 3, count / 2, 2 * count / 3, count - 1, count};
  }

  qvtest::TempDir dir_;
  std::string pictures_, more_, tiles_, library_, out_;
  std::unique_ptr<qvtest::TestMosaic> mosaic_;
};

TEST_F(SaveFaultTest, EveryWriterKeepsThePreviousFileAndReportsTheFailure) {
  for (const Writer& w : Writers()) {
    SCOPED_TRACE(w.Name);
    // A clean run over the previous files: the complete new files, and the points to fail at.
    Reset(w, {});
    qv::InjectWriteFaultForTesting(TWriteFault::kNone);
    ASSERT_TRUE(RunReported(w, out_));
    const qv::TWriteCounts counts = qv::WriteCountsForTesting();
    const Files fresh = Snapshot(out_);
    ASSERT_GT(counts.Writes, 0);
    ASSERT_GT(counts.Commits, 0);
    Reset(w, fresh);
    const Files previous = Snapshot(out_);

    struct Trial {
      TWriteFault Fault;
      std::vector<int64_t> At;
    } trials[] = {{TWriteFault::kShortWrite, Points(counts.Writes)},
                  {TWriteFault::kNoSpace, Points(counts.Writes)},
                  {TWriteFault::kRenameRefused, Points(counts.Commits)}};
    for (const Trial& trial : trials) {
      for (int64_t at : trial.At) {
        SCOPED_TRACE("fault " + std::to_string(int(trial.Fault)) + " at " + std::to_string(at));
        Reset(w, fresh);
        qv::InjectWriteFaultForTesting(trial.Fault, at);
        const bool reported = RunReported(w, out_);
        qv::InjectWriteFaultForTesting(TWriteFault::kNone);
        EXPECT_FALSE(reported) << "the failure was reported as success";
        for (const auto& [name, bytes] : Snapshot(out_)) {
          EXPECT_FALSE(IsTempName(name)) << name << " was left behind";
          const bool before = previous.count(name) && previous.at(name) == bytes;
          const bool complete = fresh.count(name) && fresh.at(name) == bytes;
          EXPECT_TRUE(before || complete) << name << " is neither the previous file nor the new one";
        }
      }
    }
  }
}

// A child process whose files may not grow beyond a limit, the signal ignored, so the write
// fails with EFBIG as on a file system that takes no larger file.
TEST_F(SaveFaultTest, AFileTooLargeKeepsThePreviousFile) {
  fs::create_directory(out_);
  const std::string project = out_ + "/project.qvp", picture = out_ + "/picture.bmp";
  qvtest::WriteFile(project, "previous project");
  qvtest::WriteFile(picture, "previous picture");
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{4096, 4096};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    int reportedSuccess = 0;
    try {
      TQVData library;
      mosaic_->Plan.SaveProject(project, mosaic_->Mosaic, library);
      reportedSuccess |= 1;
    } catch (const std::exception&) {
    }
    try {
      qv::SaveBmpFile(picture, qvtest::DrawTestPicture(100, 100, 4));
      reportedSuccess |= 2;
    } catch (const std::exception&) {
    }
    ::_exit(reportedSuccess);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "a save past the size limit reported success";
  EXPECT_EQ(Snapshot(out_), (Files{{"picture.bmp", "previous picture"}, {"project.qvp", "previous project"}}));
}

// Temporary files of saves that never finished: removed at the next save of their file and
// when a library or project in their folder is opened, unless they are young or a running
// process still holds the writer's lock on them.
TEST_F(SaveFaultTest, StaleTemporaryFilesAreRemovedButNotOnesInUse) {
  fs::create_directory(out_);
  fs::copy_file(library_, out_ + "/lib.qv2");
  const auto make = [&](const std::string& name, bool old) {
    const std::string path = out_ + "/" + name;
    qvtest::WriteFile(path, "half a file");
    if (old) {
      const timespec times[2] = {{0, UTIME_OMIT}, {::time(nullptr) - 60, 0}};
      ::utimensat(AT_FDCWD, path.c_str(), times, 0);
    }
  };
  make(".qvlib.qv2.Ab12Cd", true);     // a stale one of lib.qv2
  make(".qvother.qvp.Zz99yY", true);   // a stale one of another file
  make(".qvlib.qv2.Xy34Zw", false);    // being written a moment ago
  make(".qvlib.qv2.short", true);      // not our naming
  make(".qvlib.qv2.Ab12C-", true);     // not our naming
  make("lib.qv2.Ab12Cd", true);        // not hidden: not ours
  make(".qvlocked.qvp.Lk00Lk", true);  // held by another process, below

  // Another process holding the lock, as a writer holds it on its temporary file.
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t holder = ::fork();
  ASSERT_GE(holder, 0);
  if (holder == 0) {
    const int fd = ::open((out_ + "/.qvlocked.qvp.Lk00Lk").c_str(), O_RDWR);
    if (fd >= 0 && ::flock(fd, LOCK_EX) == 0 && ::write(ready[1], "x", 1) == 1)
      while (true) ::pause();
    ::_exit(1);
  }
  char c;
  ASSERT_EQ(::read(ready[0], &c, 1), 1);

  // The next save of lib.qv2 takes its own stale file.
  TQVData t;
  ASSERT_TRUE(t.Open(out_ + "/lib.qv2"));
  const auto names = [&] {
    std::set<std::string> s;
    for (const auto& [name, bytes] : Snapshot(out_)) s.insert(name);
    return s;
  };
  // Opening the library took every stale one of the folder but the locked one.
  EXPECT_EQ(names(), (std::set<std::string>{".qvlib.qv2.Ab12C-", ".qvlib.qv2.Xy34Zw", ".qvlib.qv2.short",
                                            ".qvlocked.qvp.Lk00Lk", "lib.qv2", "lib.qv2.Ab12Cd"}));
  ::kill(holder, SIGKILL);
  ::waitpid(holder, nullptr, 0);
  ::close(ready[0]);
  ::close(ready[1]);
  // Its writer gone, the locked one is stale too; the young one once it has aged.
  make(".qvlib.qv2.Xy34Zw", true);
  t.Save();
  EXPECT_EQ(names(), (std::set<std::string>{".qvlib.qv2.Ab12C-", ".qvlib.qv2.short", ".qvlocked.qvp.Lk00Lk", "lib.qv2",
                                            "lib.qv2.Ab12Cd"}));
  EXPECT_EQ(qv::RemoveStaleTempFiles(out_), 1);
  EXPECT_EQ(names(), (std::set<std::string>{".qvlib.qv2.Ab12C-", ".qvlib.qv2.short", "lib.qv2", "lib.qv2.Ab12Cd"}));
}

}  // namespace
