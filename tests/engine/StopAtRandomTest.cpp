// A stop request arriving from another thread at a random moment of a library build whose
// pictures are decoded on worker threads, or in helper processes: the build ends with a library of the pictures added
// before the stop, each record as an undisturbed build writes it. Run under ThreadSanitizer
// too (tsan_tests).
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <random>
#include <thread>

#include "engine/EngineTestSupport.h"
#include "engine/QVData.h"
#include "support/TestFiles.h"

namespace {

using qv::TQVData;

TEST(StopAtRandom, ALibraryBuildOnWorkerThreadsKeepsWhatItAddedBeforeTheStop) {
  qvtest::TempDir dir;
  const std::string pictures = dir.File("pictures");
  std::filesystem::create_directory(pictures);
  for (int i = 0; i < 24; ++i)
    qvtest::WriteTestJpeg(pictures + "/p" + std::to_string(100 + i) + ".jpg", 160 + 8 * i, 120, uint32_t(i));
  for (bool isolate : {false, true}) {
    SCOPED_TRACE(isolate ? "decoded in helper processes" : "decoded on worker threads");
    qv::TBuildSettings settings = qvtest::NewLibrarySettings(pictures);
    settings.Threads = 3;
    settings.IsolateDecoders = isolate;
    TQVData full;
    ASSERT_TRUE(full.CreateLibrary(dir.File("full.qv2"), settings));
    TQVData reference;
    ASSERT_TRUE(reference.Open(dir.File("full.qv2")));
    ASSERT_EQ(reference.Count, 24);

    std::mt19937 random(5);
    for (int run = 0; run < 12; ++run) {
      SCOPED_TRACE("run " + std::to_string(run));
      TQVData t;
      // The stop comes from another thread a random few microseconds after picture k is
      // begun, wherever the decoding workers (or helpers) then are; the build waits for it
      // at that picture, so it lands there however busy the machine is.
      const int k = std::uniform_int_distribution<int>(1, 23)(random);
      const auto delay = std::chrono::microseconds(std::uniform_int_distribution<int>(0, 300)(random));
      std::atomic<int> begun{0};
      std::atomic<bool> finished{false};
      t.OnCreateBaseProgress = [&](TQVData& d) {
        if (++begun == k)
          while (!d.StopRequested) std::this_thread::yield();
      };
      std::thread stopper([&] {
        while (begun < k && !finished) std::this_thread::yield();
        std::this_thread::sleep_for(delay);
        t.StopRequested = true;
      });
      const bool written = t.CreateLibrary(dir.File("stopped.qv2"), settings);
      finished = true;
      stopper.join();
      ASSERT_TRUE(written);
      TQVData lib;
      ASSERT_TRUE(lib.Open(dir.File("stopped.qv2")));
      // The picture whose event saw the stop is still added; none after it.
      EXPECT_EQ(lib.Count, k);
      EXPECT_EQ(t.AddedCount, k);
      for (int32_t n = 1; n <= lib.Count; ++n) {
        EXPECT_EQ(lib.RecordName(n), reference.RecordName(n));
        EXPECT_EQ(std::memcmp(lib.RecordSignature(n), reference.RecordSignature(n), size_t(lib.SigSize)), 0);
        EXPECT_EQ(lib.RecordThumbJpeg(n), reference.RecordThumbJpeg(n));
      }
    }
  }
}

}  // namespace
