// The searches (FindTileForCell, ListCandidates), the use counts and the order builders, on
// tables whose answers can be seen: one-cell grey signatures, so the distance between grey
// a and grey b is 3 (a - b)².
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <set>

#include "base/Errors.h"
#include "engine/MatchingTestSupport.h"
#include "engine/QVData.h"
#include "engine/SignatureDistance.h"
#include "engine/TileSearch.h"
#include "support/TestFiles.h"
#include "support/TestPictures.h"

namespace {

using qv::TOrientationSet;
using qv::TQVData;

const TOrientationSet kUnflipped{true, false, false, false};

class MatchingTest : public ::testing::Test {
 protected:
  void OpenLibrary(const std::vector<int>& greys, const std::vector<uint8_t>& statuses = {}) {
    const std::string file = dir_.File("lib" + std::to_string(++files_) + ".qv2");
    qvtest::WriteLibraryOfSignatures(file, qvtest::GreySignatures(greys), 1, 1, statuses);
    ASSERT_TRUE(lib_.Open(file));
  }
  // The plan's record k has grey targets[k - 1]; Target(k) makes it current.
  void OpenPlan(const std::vector<int>& targets) {
    const std::string file = dir_.File("plan" + std::to_string(++files_) + ".qv2");
    qvtest::WriteLibraryOfSignatures(file, qvtest::GreySignatures(targets), 1, 1);
    ASSERT_TRUE(plan_.Open(file));
  }
  void Target(int32_t k) { ASSERT_TRUE(plan_.GoRecord(k)); }

  int32_t Find(int32_t repeat, int32_t distance, int32_t col, int32_t row, const TOrientationSet& o = kUnflipped) {
    bool newTile = false;
    return lib_.FindTileForCell(plan_, used_, o, repeat, distance, cols_, rows_, col, row, newTile);
  }
  std::vector<uint8_t> Statuses() const {
    std::vector<uint8_t> s;
    for (int32_t n = 1; n <= lib_.Count; ++n) s.push_back(lib_.RecordStatus(n));
    return s;
  }
  std::vector<int32_t> OrderRecords(const TQVData& t) const {
    std::vector<int32_t> out;
    for (int32_t i = 0; i < t.OrderCount; ++i) out.push_back(t.RecordNumberAt(t.OrderEntrySlot(i)));
    return out;
  }

  qvtest::TempDir dir_;
  int files_ = 0;
  TQVData lib_, plan_;
  int32_t cols_ = 1, rows_ = 1;
  std::vector<int32_t> used_ = {0};
};

TEST_F(MatchingTest, EqualDistancesGoToTheLowerRecord) {
  OpenLibrary({10, 30, 50, 30, 70});
  OpenPlan({40, 30});
  Target(1);  // 30 and 50 are both 10 away; record 2 comes first
  EXPECT_EQ(Find(-1, 0, 0, 0), 2);
  EXPECT_EQ(lib_.RecNo, 2);
  EXPECT_EQ(used_[0], 2);
  Target(2);                        // records 2 and 4 are both exact
  EXPECT_EQ(Find(-1, 0, 0, 0), 4);  // record 2 stands in the cell itself now
}

TEST_F(MatchingTest, AnUnflippedTileBeatsItsCopies) {
  OpenLibrary({10, 30});
  ASSERT_TRUE(lib_.AddFlippedCopies(qv::kFlipHorizontal));  // a one-cell signature flips onto itself
  OpenPlan({30});
  Target(1);
  EXPECT_EQ(Find(-1, 0, 0, 0, {true, true, false, false}), 2);
  used_[0] = 0;
  EXPECT_EQ(Find(-1, 0, 0, 0, {false, true, false, false}), 4);
}

TEST_F(MatchingTest, TheDistanceSquareStopsAtTheGridsEdges) {
  cols_ = rows_ = 3;
  OpenLibrary({100, 90, 80});
  OpenPlan({100});
  Target(1);
  // Tile 1 (the best) stands at (1, 1): refused at the corner (0, 0) with D = 1.
  used_ = {0, 0, 0, 0, 1, 0, 0, 0, 0};
  EXPECT_EQ(Find(-1, 1, 0, 0), 2);
  // At (2, 0) the square is columns 1..2 and rows 0..1: tile 1 at (1, 1) still refused,
  // but at (0, 1) (the next entry after (2, 0) in row order) it is not in the square.
  used_ = {0, 0, 0, 1, 0, 0, 0, 0, 0};
  EXPECT_EQ(Find(-1, 1, 2, 0), 1);
  // D = 0 looks at the cell alone.
  used_ = {0, 1, 0, 1, 0, 1, 0, 1, 0};
  EXPECT_EQ(Find(-1, 0, 0, 0), 1);
  // A Distance beyond the grid covers the whole grid, without overflow.
  used_ = {0, 0, 0, 0, 0, 0, 0, 0, 1};
  EXPECT_EQ(Find(-1, 999999999, 0, 0), 2);
}

TEST_F(MatchingTest, RepeatZeroRefusesASecondUse) {
  cols_ = 3;
  used_ = {-1, -1, -1};
  OpenLibrary({100, 90});
  OpenPlan({100});
  Target(1);
  EXPECT_EQ(Find(0, 0, 0, 0), 1);
  EXPECT_EQ(Find(0, 0, 1, 0), 2);
  EXPECT_THROW(Find(0, 0, 2, 0), qv::EOutOfTiles);
  // No limit: tile 1 again, and its count goes on.
  EXPECT_EQ(Find(-1, 0, 2, 0), 1);
  EXPECT_EQ(Statuses(), (std::vector<uint8_t>{2, 1}));
}

TEST_F(MatchingTest, CountsStopAt250AndDeletedMarksStay) {
  OpenLibrary({100, 100, 50}, {250, 0, 0});
  ASSERT_TRUE(lib_.AddFlippedCopies(qv::kFlipHorizontal));
  lib_.SetRecordStatus(4, 255);  // the copy of tile 1 is marked deleted
  OpenPlan({100});
  Target(1);
  bool newTile = true;
  EXPECT_EQ(lib_.FindTileForCell(plan_, used_, {true, true, false, false}, -1, 0, 1, 1, 0, 0, newTile), 1);
  EXPECT_FALSE(newTile);
  EXPECT_EQ(Statuses(), (std::vector<uint8_t>{250, 0, 0, 255, 0, 0}));
  used_[0] = 0;
  EXPECT_EQ(lib_.FindTileForCell(plan_, used_, kUnflipped, 250, 0, 1, 1, 0, 0, newTile), 1);
  EXPECT_EQ(lib_.FindTileForCell(plan_, used_, kUnflipped, 249, 0, 1, 1, 0, 0, newTile), 2);
  EXPECT_TRUE(newTile);
  lib_.ResetUseCounts();
  EXPECT_EQ(Statuses(), (std::vector<uint8_t>{0, 0, 0, 255, 0, 0}));
}

// A deleted record is never chosen, whatever the Repeat limit, also where it is the best.
TEST_F(MatchingTest, ADeletedRecordIsNeverChosen) {
  OpenLibrary({100, 60, 100}, {255, 0, 251});
  OpenPlan({100});
  Target(1);
  for (int32_t repeat : {-1, 0, 250, 255, 300}) {
    used_[0] = 0;
    lib_.ResetUseCounts();
    EXPECT_EQ(Find(repeat, 0, 0, 0), 2) << repeat;
  }
  EXPECT_EQ(lib_.RecordStatus(1), 255);
  OpenLibrary({100}, {255});
  EXPECT_THROW(Find(-1, 0, 0, 0), qv::EOutOfTiles);
}

TEST_F(MatchingTest, OnlyAllowedOrientationsAreCandidatesAndCounted) {
  OpenLibrary({100, 10});
  ASSERT_TRUE(lib_.AddFlippedCopies(qv::kFlipHorizontal));
  ASSERT_TRUE(lib_.AddFlippedCopies(qv::kFlipRotate180));
  OpenPlan({100});
  Target(1);
  bool newTile = false;
  EXPECT_EQ(lib_.FindTileForCell(plan_, used_, {false, true, false, false}, -1, 0, 1, 1, 0, 0, newTile), 3);
  EXPECT_EQ(Statuses(), (std::vector<uint8_t>{0, 0, 1, 0, 0, 0}));
  EXPECT_EQ(used_[0], 1);  // the copy's tile number
  used_[0] = 0;
  EXPECT_EQ(lib_.FindTileForCell(plan_, used_, {false, true, true, true}, -1, 0, 1, 1, 0, 0, newTile), 3);
  EXPECT_FALSE(newTile);
  EXPECT_EQ(Statuses(), (std::vector<uint8_t>{0, 0, 2, 0, 1, 0}));
  // The vertical box allows nothing here: the library has no vertical block.
  EXPECT_THROW(lib_.FindTileForCell(plan_, used_, {false, false, false, true}, -1, 0, 1, 1, 0, 0, newTile),
               qv::EOutOfTiles);
}

TEST_F(MatchingTest, RunningOutOfTilesChangesNothing) {
  cols_ = 2;
  OpenLibrary({100, 90});
  OpenPlan({100});
  Target(1);
  used_ = {1, 2};
  lib_.GoRecord(2);
  try {
    Find(-1, 1, 0, 0);
    FAIL() << "no error";
  } catch (const qv::EOutOfTiles& e) {
    EXPECT_STREQ(e.what(),
                 "Quivara run out of tiles:\rThere is not enough tiles to complete the mosaic.\rPlease change "
                 "Distance or Repeat values\ror add more tiles in the library");
  }
  EXPECT_EQ(used_, (std::vector<int32_t>{1, 2}));
  EXPECT_EQ(Statuses(), (std::vector<uint8_t>{0, 0}));
  EXPECT_EQ(lib_.RecNo, 2);
}

TEST_F(MatchingTest, TheTargetIsConvertedWhenTheColourSystemsDiffer) {
  const std::string file = dir_.File("ycc.qv2");
  qvtest::WriteLibraryOfSignatures(file, {{0, 128, 128}, {255, 128, 128}}, 1, 1, {}, qv::kColorYCC);
  ASSERT_TRUE(lib_.Open(file));
  OpenPlan({255, 0});
  Target(1);  // white in RGB is (255, 128, 128) in YCC
  EXPECT_EQ(Find(-1, 0, 0, 0), 2);
  used_[0] = 0;
  Target(2);
  EXPECT_EQ(Find(-1, 0, 0, 0), 1);
}

TEST_F(MatchingTest, CandidateListsKeepTheBestInOrder) {
  cols_ = 2;
  OpenLibrary({50, 100, 70, 100}, {255, 0, 0, 9});
  OpenPlan({100});
  Target(1);
  used_ = {0, 0};
  lib_.ListCandidates(plan_, used_, kUnflipped, 0, 0, cols_, rows_, 0, 0);
  EXPECT_EQ(OrderRecords(lib_), (std::vector<int32_t>{2, 4, 3, 1}));  // deleted and used records too
  EXPECT_EQ(lib_.RecNo, 2);
  lib_.ListCandidates(plan_, used_, kUnflipped, 2, 0, cols_, rows_, 0, 0);
  EXPECT_EQ(OrderRecords(lib_), (std::vector<int32_t>{2, 4}));
  lib_.ListCandidates(plan_, used_, kUnflipped, 10, 0, cols_, rows_, 0, 0);
  EXPECT_EQ(lib_.OrderCount, 4);
  used_ = {0, 2};  // tile 2 next door: refused within Distance 1 only
  lib_.ListCandidates(plan_, used_, kUnflipped, 5, 1, cols_, rows_, 0, 0);
  EXPECT_EQ(OrderRecords(lib_), (std::vector<int32_t>{4, 3, 1}));
  lib_.ListCandidates(plan_, used_, kUnflipped, 5, 0, cols_, rows_, 0, 0);
  EXPECT_EQ(lib_.OrderCount, 4);
  EXPECT_EQ(lib_.OrderEntryKeyF64(1), 0.0);
  EXPECT_EQ(lib_.OrderEntryKeyF64(2), 3.0 * 30 * 30);
}

TEST_F(MatchingTest, OrderBuilders) {
  OpenLibrary({40, 10, 40, 30});
  lib_.OrderBySignature(qv::SignatureBytes(3, 40).data());
  EXPECT_EQ(OrderRecords(lib_), (std::vector<int32_t>{1, 3, 4, 2}));
  EXPECT_EQ(lib_.RecNo, 1);
  lib_.OrderByName(true);
  EXPECT_EQ(OrderRecords(lib_), (std::vector<int32_t>{1, 2, 3, 4}));
  EXPECT_EQ(lib_.OrderKeyWidth, 120);
  EXPECT_EQ(lib_.OrderEntryKey(0), "tile1" + std::string(115, ' '));
  lib_.OrderByPicture(qvtest::UniformBitmap24(5, 5, 30, 30, 30));
  EXPECT_EQ(OrderRecords(lib_).front(), 4);

  // Random orders: a permutation, repeatable for a seed, descending keys below 10 x Count.
  lib_.OrderRandom(42);
  std::vector<int32_t> first = OrderRecords(lib_);
  std::vector<int32_t> sorted = first;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(sorted, (std::vector<int32_t>{1, 2, 3, 4}));
  for (int32_t i = 0; i < lib_.OrderCount; ++i) {
    EXPECT_LT(lib_.OrderEntryKeyF64(i), 40.0);
    if (i > 0) {
      EXPECT_LE(lib_.OrderEntryKeyF64(i), lib_.OrderEntryKeyF64(i - 1));
    }
  }
  lib_.OrderRandom(42);
  EXPECT_EQ(OrderRecords(lib_), first);
  lib_.ClearOrder();
  EXPECT_EQ(lib_.OrderKeyWidth, 0);
  EXPECT_EQ(lib_.OrderCount, 4);
}

TEST_F(MatchingTest, OrderByDetailIsDescendingWithTiesInStorageOrder) {
  const std::string file = dir_.File("p.qvp");
  TQVData lib6;
  qvtest::WriteSyntheticLibrary(dir_.File("six.qv2"), 3);
  ASSERT_TRUE(lib6.Open(dir_.File("six.qv2")));
  // Columns of flat grey and one busy column: detail 0 for flat cells.
  qv::Bitmap24 pic = qvtest::UniformBitmap24(40, 20, 90, 90, 90);
  for (int y = 0; y < 20; ++y)
    for (int x = 30; x < 40; ++x) pic.Pixel(x, y)[(x + y) % 3] = uint8_t((x * 37 + y * 91) % 256);
  lib6.CreateProject(file, pic, {}, qv::Size{4, 2});
  TQVData plan, mosaic;
  ASSERT_TRUE(plan.OpenProject(file, mosaic));
  plan.OrderByDetail();
  std::vector<int32_t> order = OrderRecords(plan);
  EXPECT_EQ((std::set<int32_t>{order[0], order[1]}), (std::set<int32_t>{4, 8}));
  for (size_t i = 1; i < order.size(); ++i) {
    const double a = plan.RecordInfo(order[i - 1]).Detail, b = plan.RecordInfo(order[i]).Detail;
    EXPECT_GE(a, b);
    if (a == b) {
      EXPECT_LT(order[i - 1], order[i]);
    }
  }
}

// Orders on an empty table are empty orders, not a crash.
TEST_F(MatchingTest, OrdersOfAnEmptyTable) {
  OpenLibrary({});
  OpenPlan({1});
  Target(1);
  lib_.OrderRandom();
  EXPECT_EQ(lib_.OrderCount, 0);
  lib_.OrderByDetail();
  lib_.OrderByName(false);
  EXPECT_EQ(lib_.OrderCount, 0);
  lib_.ResetUseCounts();
  EXPECT_THROW(Find(-1, 0, 0, 0), qv::EOutOfTiles);
}

TEST_F(MatchingTest, SearchesRefuseCellsOutsideTheGrid) {
  OpenLibrary({1, 2});
  OpenPlan({1});
  Target(1);
  EXPECT_THROW(Find(-1, 0, 1, 0), qv::EQuivara);
  used_.clear();
  EXPECT_THROW(Find(-1, 0, 0, 0), qv::EQuivara);
}

// ---- The packed scan gives what the plain scan gives ----

struct SearchTrace {
  std::vector<int32_t> chosen;
  std::vector<int> newTiles;
  std::vector<int32_t> used;
  std::vector<uint8_t> statuses;
  bool operator==(const SearchTrace&) const = default;
};

// Composes a grid cell by cell with the given search options on a fresh copy of the library.
SearchTrace RunSearches(const std::string& libFile, TQVData& plan, const qv::TTileSearchOptions& options, int32_t cols,
                        int32_t rows, int32_t repeat, int32_t distance, const TOrientationSet& o, uint32_t seed) {
  TQVData lib;
  EXPECT_TRUE(lib.Open(libFile));
  lib.SearchOptions = options;
  std::mt19937 rng(seed);
  SearchTrace t;
  t.used.assign(size_t(cols) * rows, 0);
  for (auto& u : t.used) u = int32_t(rng() % 6) == 0 ? int32_t(1 + rng() % 40) : 0;  // tiles standing before the run
  for (int32_t step = 0; step < cols * rows; ++step) {
    const int32_t cell = int32_t(rng() % uint32_t(cols * rows)) + 1;
    plan.GoRecord(cell);
    if (step % 17 == 5) lib.SetRecordStatus(int32_t(1 + rng() % uint32_t(lib.Count)), uint8_t(rng() % 3 ? 1 : 255));
    if (step % 29 == 11) lib.ResetUseCounts();
    bool newTile = false;
    int32_t chosen = -1;
    try {
      chosen = lib.FindTileForCell(plan, t.used, o, repeat, distance, cols, rows, (cell - 1) % cols, (cell - 1) / cols,
                                   newTile);
    } catch (const qv::EOutOfTiles&) {
    }
    t.chosen.push_back(chosen);
    t.newTiles.push_back(newTile);
  }
  for (int32_t n = 1; n <= lib.Count; ++n) t.statuses.push_back(lib.RecordStatus(n));
  return t;
}

TEST(TileSearchTest, PackedScansChooseWhatThePlainScanChooses) {
  qvtest::TempDir dir;
  std::mt19937 rng(7);
  for (int lib = 0; lib < 4; ++lib) {
    // 6 x 6 libraries of random and of near-duplicate signatures (many ties and close calls);
    // a 5 x 7 grid (quadrants of unequal size); a 12 x 11 grid (396 bytes, 13 vector steps,
    // too many cells for the bound).
    const int gridW[] = {6, 6, 5, 12}, gridH[] = {6, 6, 7, 11};
    const int tiles = 40 + 30 * lib;
    const size_t sigSize = size_t(gridW[lib]) * gridH[lib] * 3;
    std::vector<qv::SignatureBytes> sigs;
    for (int k = 0; k < tiles; ++k) {
      qv::SignatureBytes s(sigSize);
      for (auto& b : s) b = uint8_t(lib == 1 ? 120 + rng() % 4 : rng());
      sigs.push_back(s);
    }
    std::vector<uint8_t> statuses(size_t(tiles), 0);
    for (auto& s : statuses) s = rng() % 10 == 0 ? 255 : uint8_t(rng() % 3);
    const std::string file = dir.File("lib" + std::to_string(lib) + ".qv2");
    qvtest::WriteLibraryOfSignatures(file, sigs, gridW[lib], gridH[lib], statuses);
    {
      TQVData t;
      ASSERT_TRUE(t.Open(file));
      ASSERT_TRUE(t.AddFlippedCopies(qv::kFlipVertical));
      t.Save();
    }
    const int32_t cols = 9, rows = 7;
    std::vector<qv::SignatureBytes> cells;
    for (int c = 0; c < cols * rows; ++c) {
      qv::SignatureBytes s(sigSize);
      for (auto& b : s) b = uint8_t(lib == 1 ? 119 + rng() % 6 : rng());
      cells.push_back(s);
    }
    const std::string planFile = dir.File("plan" + std::to_string(lib) + ".qv2");
    qvtest::WriteLibraryOfSignatures(planFile, cells, gridW[lib], gridH[lib]);
    TQVData plan;
    ASSERT_TRUE(plan.Open(planFile));

    for (int32_t repeat : {-1, 0, 2}) {
      for (int32_t distance : {0, 1, 3}) {
        for (const TOrientationSet& o :
             {TOrientationSet{true, false, false, false}, TOrientationSet{true, false, false, true},
              TOrientationSet{false, false, false, true}}) {
          const uint32_t seed = rng();
          SearchTrace plain;
          {
            auto& distances = qv::SignatureDistanceKernelChoice();
            const qv::KernelChoice<qv::SignatureDistanceKernels>::Override portable(distances, &distances.Portable());
            plain = RunSearches(file, plan, {false, false, false}, cols, rows, repeat, distance, o, seed);
          }
          auto& scans = qv::TileSearchKernelChoice();
          for (const qv::TileSearchKernels* kernels : scans.Available()) {
            const qv::KernelChoice<qv::TileSearchKernels>::Override use(scans, kernels);
            for (int variant = 0; variant < 4; ++variant) {
              const qv::TTileSearchOptions options{true, (variant & 1) != 0, (variant & 2) != 0};
              SCOPED_TRACE("library " + std::to_string(lib) + " repeat " + std::to_string(repeat) + " distance " +
                           std::to_string(distance) + " " + kernels->name + " variant " + std::to_string(variant));
              EXPECT_TRUE(RunSearches(file, plan, options, cols, rows, repeat, distance, o, seed) == plain);
            }
          }
        }
      }
    }
  }
}

// The bound may pass over a record only when its distance cannot be below best: the sum of
// squared quadrant-sum differences divided by the largest quadrant's cells never exceeds the
// distance, on any grid, also at the extremes.
TEST(TileSearchTest, TheQuadrantBoundNeverExceedsTheDistance) {
  std::mt19937 rng(11);
  const int grids[][2] = {{1, 1}, {2, 3}, {5, 7}, {6, 6}, {8, 13}};
  for (const auto& g : grids) {
    const size_t n = size_t(g[0]) * g[1] * 3;
    for (int round = 0; round < 300; ++round) {
      qv::SignatureBytes a(n), b(n);
      for (size_t k = 0; k < n; ++k) {
        a[k] = round == 0 ? 255 : uint8_t(rng());
        b[k] = round == 0 ? 0 : uint8_t(round % 2 ? a[k] + rng() % 7 : rng());
      }
      int32_t sa[12], sb[12];
      const int32_t cells = qv::QuadrantSums(a.data(), g[0], g[1], sa);
      qv::QuadrantSums(b.data(), g[0], g[1], sb);
      int64_t x = 0;
      for (int k = 0; k < 12; ++k) x += int64_t(sa[k] - sb[k]) * (sa[k] - sb[k]);
      const uint64_t d = qv::SignatureDistanceInt(a.data(), b.data(), int(n));
      EXPECT_LE(uint64_t(x), d * uint64_t(cells)) << g[0] << " x " << g[1];
      // A record is passed over exactly when x exceeds the limit for best = d + 1 or less.
      EXPECT_LE(x, int64_t(qv::BoundLimit(d + 1, cells)));
    }
  }
}

TEST(TileSearchTest, TheBoundAndTheCutOffSaveWorkWithoutChangingTheChoice) {
  qvtest::TempDir dir;
  std::mt19937 rng(3);
  std::vector<qv::SignatureBytes> sigs;
  for (int k = 0; k < 500; ++k) {
    qv::SignatureBytes s(108);
    for (auto& b : s) b = uint8_t(rng());
    sigs.push_back(s);
  }
  qvtest::WriteLibraryOfSignatures(dir.File("lib.qv2"), sigs, 6, 6);
  qvtest::WriteLibraryOfSignatures(dir.File("plan.qv2"), {sigs[321]}, 6, 6);
  TQVData lib, plan;
  ASSERT_TRUE(lib.Open(dir.File("lib.qv2")));
  ASSERT_TRUE(plan.Open(dir.File("plan.qv2")));
  std::vector<int32_t> used{0};
  bool newTile;
  EXPECT_EQ(lib.FindTileForCell(plan, used, kUnflipped, -1, 0, 1, 1, 0, 0, newTile), 322);
  EXPECT_EQ(lib.SearchStats.Candidates, 500u);
  // Once the exact match (record 322) is found nothing can come below it: the bound passes
  // over every record after it.
  EXPECT_LE(lib.SearchStats.Evaluations, 322u);
  EXPECT_LT(lib.SearchStats.Completed, lib.SearchStats.Evaluations);
  lib.SearchOptions.CutOff = false;
  lib.SearchOptions.Bound = false;
  lib.SearchStats = {};
  used[0] = 0;
  EXPECT_EQ(lib.FindTileForCell(plan, used, kUnflipped, -1, 0, 1, 1, 0, 0, newTile), 322);
  EXPECT_EQ(lib.SearchStats.Evaluations, 500u);
  EXPECT_EQ(lib.SearchStats.Completed, 500u);
}

}  // namespace
