// quivara-cli behaves as command-line tools do: help and version on request with status 0,
// the usage of every command after its name, the exit codes listed, and progress that a
// terminal redraws in place while a log gets a few lines.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <sstream>
#include <vector>

#include "cli/CliTestSupport.h"
#include "support/TestFiles.h"

namespace {

using qvtest::Cli;
using qvtest::RunResult;

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// The command names the general help lists ("compose", "library create", ...): the leading
// lower-case words (hyphens allowed) of each usage line under "Commands:".
std::vector<std::string> ListedCommands(const std::string& help) {
  std::vector<std::string> names;
  std::istringstream in(help.substr(help.find("Commands:")));
  std::string line;
  std::getline(in, line);
  while (std::getline(in, line) && !line.empty()) {
    if (line.size() < 3 || line.compare(0, 2, "  ") != 0 || line[2] == ' ') continue;  // continuation lines
    std::istringstream words(line);
    std::string word, name;
    while (words >> word && std::islower(static_cast<unsigned char>(word[0])) &&
           std::all_of(word.begin(), word.end(), [](char c) { return std::islower(c) || c == '-'; }))
      name += (name.empty() ? "" : " ") + word;
    names.push_back(name);
  }
  return names;
}

TEST(CliConventions, HelpAndVersionOnRequestWithStatus0) {
  const RunResult help = Cli("--help");
  EXPECT_EQ(help.status, 0);
  for (const char* ask : {"-h", "help"}) {
    const RunResult r = Cli(ask);
    EXPECT_EQ(r.status, 0) << ask;
    EXPECT_EQ(r.output, help.output) << ask;
  }
  EXPECT_NE(help.output.find("Exit status:\n  0 "), std::string::npos) << help.output;
  for (const char* code : {"\n  1 ", "\n  2 ", "\n  130 "})
    EXPECT_NE(help.output.find(code), std::string::npos) << code;

  const RunResult version = Cli("--version");
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.output, "quivara-cli 3.00\n");

  // Every listed command explains itself after its name, and through "help COMMAND".
  const std::vector<std::string> commands = ListedCommands(help.output);
  ASSERT_GE(commands.size(), 12u) << help.output;
  for (const std::string& name : commands) {
    for (const std::string& ask : {name + " --help", name + " -h", "help " + name, name + " ARG --help"}) {
      const RunResult r = Cli(ask);
      EXPECT_EQ(r.status, 0) << ask;
      EXPECT_EQ(r.output.rfind("Usage: quivara-cli " + name + " ", 0), 0u) << ask << "\n" << r.output;
    }
  }
  // A group of commands lists its members.
  const RunResult library = Cli("library --help");
  EXPECT_EQ(library.status, 0);
  EXPECT_NE(library.output.find("Usage: quivara-cli library create"), std::string::npos) << library.output;
  EXPECT_NE(library.output.find("Usage: quivara-cli library info"), std::string::npos) << library.output;

  // Asked for nothing or for something unknown: the usage on standard error and status 1.
  EXPECT_EQ(Cli("").status, 1);
  EXPECT_EQ(Cli("frobnicate").status, 1);
  EXPECT_EQ(Cli("library").status, 1);
  EXPECT_EQ(Cli("--nonsense").status, 1);
}

class CliProgress : public ::testing::Test {
 protected:
  // An empty 40 x 30 project listed as text: a pass of 1200 cells.
  void SetUp() override {
    const std::string samples = std::string(QUIVARA_SOURCE_DIR) + "/resources/samples";
    RunResult r = Cli("library create " + dir_.File("lib.qv2") + " --root " + samples + "/tiles");
    ASSERT_EQ(r.status, 0) << r.output;
    r = Cli("project create " + project_ + " --library " + dir_.File("lib.qv2") + " --source " + samples +
            "/source.jpg --cols 40 --rows 30");
    ASSERT_EQ(r.status, 0) << r.output;
  }
  qvtest::TempDir dir_;
  std::string project_ = dir_.File("p.qvp");
};

TEST_F(CliProgress, ALogGetsALineEveryTenthATerminalOneLineRedrawn) {
  RunResult r = Cli("render " + project_ + " " + dir_.File("list.txt"));
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_EQ(Count(r.output, "Rendering: "), 11u) << r.output;
  EXPECT_NE(r.output.find("Rendering: 10% (120/1200)\n"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("Rendering: 100% (1200/1200)"), std::string::npos) << r.output;
  EXPECT_EQ(r.output.find('\r'), std::string::npos);

  r = qvtest::CliOnTerminal("render " + project_ + " " + dir_.File("list.txt"));
  ASSERT_EQ(r.status, 0) << r.output;
  const size_t first = r.output.find("\rRendering ["), last = r.output.rfind("\rRendering [");
  ASSERT_NE(first, std::string::npos) << r.output;
  EXPECT_EQ(r.output.find('\n', first), r.output.find('\n', last)) << "all on one line";
  EXPECT_NE(r.output.find("100% 1200/1200", last), std::string::npos) << r.output;
  EXPECT_LT(Count(r.output, "\rRendering ["), 1200u) << "not one redraw per cell";
}

}  // namespace
