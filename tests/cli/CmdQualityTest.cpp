// quivara-cli quality --bound: the lower bound under a Distance rule, printed beside the
// mosaic's own total, which keeps the rule and so can never lie below it; the report leaves
// the library as it is.
#include <gtest/gtest.h>

#include <regex>

#include "base/FileUtil.h"
#include "cli/CliTestSupport.h"
#include "support/TestFiles.h"

namespace {

TEST(CmdQuality, TheBoundLiesBelowTheTotalOfAMosaicKeepingTheRule) {
  qvtest::TempDir dir;
  const std::string out = dir.File("demo");
  qvtest::RunResult r = qvtest::Cli("demo " + out + " --samples " + std::string(QUIVARA_SOURCE_DIR) +
                                    "/resources/samples --cols 8 --rows 6 --width 240");
  ASSERT_EQ(r.status, 0) << r.output;
  // The demo composes at Distance 4, which keeps Distance 2 as well.
  r = qvtest::Cli("quality " + out + "/demo.qvp --bound --distance 2 --iterations 60");
  ASSERT_EQ(r.status, 0) << r.output;
  std::smatch total, bound;
  ASSERT_TRUE(std::regex_search(r.output, total, std::regex(R"(Total distance: +(\d+))"))) << r.output;
  ASSERT_TRUE(
      std::regex_search(r.output, bound, std::regex(R"(Lower bound: +(\d+) under Distance 2 \(60 iterations\))")))
      << r.output;
  EXPECT_GT(std::stoull(bound[1]), 0u);
  EXPECT_LE(std::stoull(bound[1]), std::stoull(total[1]));
  EXPECT_NE(r.output.find("% above it"), std::string::npos) << r.output;

  // A report does not add flipped copies to the library.
  const std::string library = qv::ReadWholeFile(out + "/samples.qv2");
  r = qvtest::Cli("quality " + out + "/demo.qvp --bound --distance 2 --use original,h");
  EXPECT_NE(r.status, 0);
  EXPECT_NE(r.output.find("The library holds no horizontal mirror copies"), std::string::npos) << r.output;
  EXPECT_TRUE(qv::ReadWholeFile(out + "/samples.qv2") == library);

  r = qvtest::Cli("quality " + out + "/demo.qvp --bound --distance 0");
  EXPECT_NE(r.status, 0);
  EXPECT_NE(r.output.find("--bound needs a --distance of 1 or more"), std::string::npos) << r.output;
}

}  // namespace
