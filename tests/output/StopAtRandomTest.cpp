// Stop requests arriving from another thread at random moments of a render on worker threads
// (the picture writers, direct to disk and in memory): every run ends either stopped, with
// the earlier file of that name as it was and nothing else left in the folder, or complete,
// with the same bytes as an undisturbed run. Run under ThreadSanitizer too (tsan_tests).
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <thread>

#include "base/FileUtil.h"
#include "output/DirectWriter.h"
#include "output/PosterWriter.h"
#include "output/RenderTestSupport.h"

namespace {

using namespace qv;

std::set<std::string> FolderFiles(const std::string& dir) {
  std::set<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir)) names.insert(e.path().filename().string());
  return names;
}

TEST(StopAtRandom, PictureWritersEndStoppedWithTheEarlierFileOrCompleteAndEqual) {
  qvtest::TestMosaic m(8, 6, qvtest::ColouredCells(48));
  RenderSettings st;
  st.OutputWidth = 1280;
  st.OutputHeight = 720;
  st.GridWidth = 1;
  st.Sharpen = true;
  st.BlendAlpha = 40;
  std::mt19937 random(17);
  for (const char* name : {"out.bmp", "out.tif", "out.jpg"}) {
    for (bool direct : {true, false}) {
      if (direct && std::string(name).ends_with(".jpg")) continue;
      SCOPED_TRACE(std::string(name) + (direct ? " direct" : " in memory"));
      const DiskFormat format = std::string(name).ends_with(".bmp") ? DiskFormat::Bmp : DiskFormat::Tiff;
      auto save = [&](const std::string& file, const RenderCallbacks& cb) {
        return direct ? SaveTiff(file, format, m.Source(), st, WholeGrid(8, 6), cb)
                      : SavePoster(file, m.Source(), st, WholeGrid(8, 6), cb);
      };
      RenderCallbacks plain;
      plain.Threads = 3;
      ASSERT_FALSE(save(m.Dir.File(std::string("reference-") + name), plain).Stopped);
      const std::string reference = ReadWholeFile(m.Dir.File(std::string("reference-") + name));
      std::filesystem::remove(m.Dir.File(std::string("reference-") + name));

      for (int run = 0; run < 12; ++run) {
        const std::string file = m.Dir.File(name);
        const std::string earlier = "an earlier picture " + std::to_string(run);
        std::ofstream(file, std::ios::binary) << earlier;
        const std::set<std::string> before = FolderFiles(m.Dir.Path());
        std::atomic<bool> stop{false};
        RenderCallbacks cb;
        cb.Threads = 3;
        cb.StopRequested = &stop;
        // The stop comes from another thread a random few microseconds after cell k is done,
        // wherever the workers and the writer then are; the progress report of cell k waits
        // for it, so it lands there however busy the machine is.
        const int64_t k = std::uniform_int_distribution<int64_t>(1, 48)(random);
        const auto delay = std::chrono::microseconds(std::uniform_int_distribution<int>(0, 300)(random));
        std::atomic<int64_t> cellsDone{0};
        std::atomic<bool> finished{false};
        cb.OnProgress = [&](int64_t done, int64_t) {
          cellsDone = done;
          if (done == k)
            while (!stop) std::this_thread::yield();
        };
        std::thread stopper([&] {
          while (cellsDone < k && !finished) std::this_thread::yield();
          std::this_thread::sleep_for(delay);
          stop = true;
        });
        const WriteOutcome out = save(file, cb);
        finished = true;
        stopper.join();
        EXPECT_EQ(FolderFiles(m.Dir.Path()), before) << "run " << run;
        if (k < 48) {
          EXPECT_TRUE(out.Stopped) << "run " << run;
        }
        if (out.Stopped) {
          EXPECT_EQ(ReadWholeFile(file), earlier) << "run " << run;
        } else {
          EXPECT_TRUE(ReadWholeFile(file) == reference) << "run " << run;
        }
      }
    }
  }
}

}  // namespace
