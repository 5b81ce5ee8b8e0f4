// quivara-cli: the core without windows, for batch work, scripting and benchmarks.
#include <algorithm>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "base/Errors.h"
#include "cli/CliCommon.h"

namespace {

void PrintUsage() {
  std::fprintf(stderr, "Usage: quivara-cli COMMAND [ARGUMENTS]\n\nCommands:\n");
  for (const auto& c : qvcli::Commands()) std::fprintf(stderr, "  %s\n", c.Usage.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    PrintUsage();
    return args.empty() ? 1 : 0;
  }
  // A command may be one word ("compose") or two ("library create").
  for (const auto& c : qvcli::Commands()) {
    size_t words = 1 + static_cast<size_t>(std::count(c.Name.begin(), c.Name.end(), ' '));
    if (args.size() < words) continue;
    std::string name = args[0];
    for (size_t i = 1; i < words; ++i) name += " " + args[i];
    if (name != c.Name) continue;
    try {
      return c.Run(std::vector<std::string>(args.begin() + static_cast<long>(words), args.end()));
    } catch (const qvcli::CliError& e) {
      std::fprintf(stderr, "quivara-cli: %s\n", e.what());
      return e.ExitCode();
    } catch (const std::exception& e) {
      std::fprintf(stderr, "quivara-cli: %s\n", e.what());
      return 1;
    }
  }
  std::fprintf(stderr, "quivara-cli: unknown command \"%s\"\n\n", args[0].c_str());
  PrintUsage();
  return 1;
}
