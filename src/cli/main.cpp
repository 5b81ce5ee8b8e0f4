// quivara-cli: the core without windows, for batch work, scripting and benchmarks.
#include <algorithm>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "base/Errors.h"
#include "base/Product.h"
#include "cli/CliCommon.h"

namespace {

using qvcli::Command;

bool IsHelpOption(const std::string& a) { return a == "--help" || a == "-h"; }

// Number of words of a command's name ("compose" 1, "library create" 2).
size_t Words(const Command& c) { return 1 + static_cast<size_t>(std::count(c.Name.begin(), c.Name.end(), ' ')); }

// The command the arguments begin with, or none.
const Command* FindCommand(const std::vector<std::string>& args) {
  for (const auto& c : qvcli::Commands()) {
    const size_t words = Words(c);
    if (args.size() < words) continue;
    std::string name = args[0];
    for (size_t i = 1; i < words; ++i) name += " " + args[i];
    if (name == c.Name) return &c;
  }
  return nullptr;
}

// The commands of a group ("library": library create, library append, ...).
std::vector<const Command*> CommandsOfGroup(const std::string& group) {
  std::vector<const Command*> out;
  for (const auto& c : qvcli::Commands())
    if (c.Name.compare(0, group.size() + 1, group + " ") == 0) out.push_back(&c);
  return out;
}

void PrintCommandUsage(std::FILE* to, const Command& c) {
  std::fprintf(to, "Usage: quivara-cli %s\n", c.Usage.c_str());
}

void PrintUsage(std::FILE* to) {
  std::fprintf(to,
               "Usage: quivara-cli COMMAND [ARGUMENTS]\n"
               "       quivara-cli COMMAND --help     the usage of one command\n"
               "       quivara-cli --version\n\nCommands:\n");
  for (const auto& c : qvcli::Commands()) std::fprintf(to, "  %s\n", c.Usage.c_str());
  std::fprintf(to,
               "\nExit status:\n"
               "  0    done\n"
               "  1    error: a wrong argument, or a file that cannot be read or written\n"
               "  2    compose: the library cannot fill the mosaic under the rules; optimize: the\n"
               "       mosaic does not keep them (the project is left as it was)\n"
               "  130  stopped by Ctrl+C, or by the answer \"Cancel\" for a missing tile file\n"
               "       (render --missing stop)\n");
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) {
    PrintUsage(stderr);
    return 1;
  }
  if (IsHelpOption(args[0]) || (args[0] == "help" && args.size() == 1)) {
    PrintUsage(stdout);
    return 0;
  }
  if (args[0] == "--version") {
    const std::string caption = qv::kVersionCaption;  // "V 3.00"
    std::printf("quivara-cli %s\n", caption.substr(caption.find(' ') + 1).c_str());
    return 0;
  }
  // "help COMMAND" is "COMMAND --help".
  const bool helpFirst = args[0] == "help";
  if (helpFirst) args.erase(args.begin());

  const Command* command = FindCommand(args);
  if (!command) {
    const std::vector<const Command*> group = CommandsOfGroup(args[0]);
    const bool help = helpFirst || (args.size() > 1 && IsHelpOption(args[1]));
    if (group.empty()) {
      std::fprintf(stderr, "quivara-cli: unknown command \"%s\"\n\n", args[0].c_str());
      PrintUsage(stderr);
      return 1;
    }
    std::FILE* to = help ? stdout : stderr;
    if (!help) std::fprintf(stderr, "quivara-cli: \"%s\" needs one of these commands:\n", args[0].c_str());
    for (const Command* c : group) PrintCommandUsage(to, *c);
    return help ? 0 : 1;
  }
  const std::vector<std::string> rest(args.begin() + static_cast<long>(Words(*command)), args.end());
  if (helpFirst || std::any_of(rest.begin(), rest.end(), IsHelpOption)) {
    PrintCommandUsage(stdout, *command);
    return 0;
  }
  try {
    return command->Run(rest);
  } catch (const qvcli::CliError& e) {
    std::fprintf(stderr, "quivara-cli: %s\n", e.what());
    return e.ExitCode();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "quivara-cli: %s\n", e.what());
    return 1;
  }
}
